#include "dialogs/byte_limited_line_edit.h"

#include <QApplication>
#include <QValidator>

#include "platform/code_page.h"

namespace dialogs {
namespace {

// Keeps the box within its byte limit. The box hands every change to the validator with
// the text as it would become; comparing that with the last accepted text tells what was
// inserted, and only the inserted part is cut.
class ByteLimitValidator : public QValidator {
 public:
  ByteLimitValidator(std::size_t limit, QObject* parent) : QValidator(parent), m_nLimit(limit) {}

  State validate(QString& input, int& pos) const override {
    if (ByteLimitedLineEdit::ByteLength(input) <= m_nLimit) {
      m_accepted = input;
      return Acceptable;
    }
    const qsizetype shorter = std::min(input.size(), m_accepted.size());
    qsizetype prefix = 0;
    while (prefix < shorter && input.at(prefix) == m_accepted.at(prefix)) ++prefix;
    qsizetype suffix = 0;
    while (suffix < shorter - prefix &&
           input.at(input.size() - 1 - suffix) == m_accepted.at(m_accepted.size() - 1 - suffix)) {
      ++suffix;
    }
    const QString kept = input.left(prefix) + input.right(suffix);
    const std::size_t keptBytes = ByteLimitedLineEdit::ByteLength(kept);
    if (keptBytes > m_nLimit) return Invalid;
    const QString inserted = input.mid(prefix, input.size() - prefix - suffix);
    const QString fitting = ByteLimitedLineEdit::LeftBytes(inserted, m_nLimit - keptBytes);
    QApplication::beep();
    input = input.left(prefix) + fitting + input.right(suffix);
    pos = static_cast<int>(prefix + fitting.size());
    m_accepted = input;
    return Acceptable;
  }

 private:
  std::size_t m_nLimit;
  mutable QString m_accepted;
};

}  // namespace

ByteLimitedLineEdit::ByteLimitedLineEdit(std::size_t limit, QWidget* parent)
    : QLineEdit(parent), m_nLimit(limit) {
  setValidator(new ByteLimitValidator(limit, this));
}

std::size_t ByteLimitedLineEdit::ByteLength(const QString& text) {
  return platform::FromUtf8(text.toStdString(), platform::SystemCodePage()).size();
}

QString ByteLimitedLineEdit::LeftBytes(const QString& text, std::size_t bytes) {
  std::size_t used = 0;
  qsizetype end = 0;
  while (end < text.size()) {
    qsizetype next = end + 1;
    if (text.at(end).isHighSurrogate() && next < text.size() && text.at(next).isLowSurrogate()) {
      ++next;
    }
    const std::size_t size = ByteLength(text.mid(end, next - end));
    if (used + size > bytes) break;
    used += size;
    end = next;
  }
  return text.left(end);
}

}  // namespace dialogs
