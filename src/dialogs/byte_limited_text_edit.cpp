#include "dialogs/byte_limited_text_edit.h"

#include <QApplication>
#include <QInputMethodEvent>
#include <QKeyEvent>
#include <QMimeData>
#include <QTextCursor>
#include <QTextDocumentFragment>

#include "platform/code_page.h"

namespace dialogs {
namespace {

constexpr char16_t kParagraph = 0x2029;  // a line break as the box holds it

}  // namespace

ByteLimitedTextEdit::ByteLimitedTextEdit(QWidget* parent) : QPlainTextEdit(parent) {
  setLineWrapMode(QPlainTextEdit::WidgetWidth);
  setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
  setTabChangesFocus(false);
}

std::size_t ByteLimitedTextEdit::CharBytes(const QString& text, qsizetype i) const {
  const char16_t c = text.at(i).unicode();
  if (c == kParagraph || c == u'\n') return m_nBreakBytes;
  if (QChar::isLowSurrogate(c)) return 0;
  if (platform::SystemCodePage() == platform::CodePage::Cp932) {
    // ASCII and half-width katakana are single bytes; a character CP932 lacks becomes
    // '?'; every other one is a double-byte character.
    if (c < 0x80 || (c >= 0xFF61 && c <= 0xFF9F) || QChar::isHighSurrogate(c)) return 1;
    return 2;
  }
  if (c < 0x80) return 1;
  if (c < 0x800) return 2;
  return QChar::isHighSurrogate(c) ? 4 : 3;
}

std::size_t ByteLimitedTextEdit::ByteLength(const QString& text) const {
  std::size_t bytes = 0;
  for (qsizetype i = 0; i < text.size(); ++i) bytes += CharBytes(text, i);
  return bytes;
}

QString ByteLimitedTextEdit::LeftBytes(const QString& text, std::size_t bytes) const {
  std::size_t used = 0;
  qsizetype end = 0;
  while (end < text.size()) {
    qsizetype next = end + 1;
    if (QChar::isHighSurrogate(text.at(end).unicode()) && next < text.size() &&
        QChar::isLowSurrogate(text.at(next).unicode())) {
      ++next;
    }
    const std::size_t size = CharBytes(text, end);
    if (used + size > bytes) break;
    used += size;
    end = next;
  }
  return text.left(end);
}

std::size_t ByteLimitedTextEdit::FreeBytes() const {
  const std::size_t used = ByteLength(document()->toRawText()) -
                           ByteLength(textCursor().selection().toRawText());
  return used >= m_nLimit ? 0 : m_nLimit - used;
}

void ByteLimitedTextEdit::keyPressEvent(QKeyEvent* event) {
  QString typed = event->text();
  if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) typed = QChar(kParagraph);
  const bool inserts = !typed.isEmpty() && (typed.at(0).isPrint() || typed.at(0) == kParagraph ||
                                            typed.at(0) == u'\t');
  if (inserts && ByteLength(typed) > FreeBytes()) {
    QApplication::beep();
    return;
  }
  QPlainTextEdit::keyPressEvent(event);
}

void ByteLimitedTextEdit::insertFromMimeData(const QMimeData* source) {
  if (!source || !source->hasText()) return;
  QString text = source->text();
  text.replace(QLatin1String("\r\n"), QLatin1String("\n"));
  const QString fitting = LeftBytes(text, FreeBytes());
  if (fitting.size() < text.size()) QApplication::beep();
  if (!fitting.isEmpty()) insertPlainText(fitting);
}

void ByteLimitedTextEdit::inputMethodEvent(QInputMethodEvent* event) {
  const QString commit = event->commitString();
  if (!commit.isEmpty() && ByteLength(commit) > FreeBytes()) {
    const QString fitting = LeftBytes(commit, FreeBytes());
    QInputMethodEvent cut(event->preeditString(), event->attributes());
    cut.setCommitString(fitting, event->replacementStart(), event->replacementLength());
    QApplication::beep();
    QPlainTextEdit::inputMethodEvent(&cut);
    return;
  }
  QPlainTextEdit::inputMethodEvent(event);
}

}  // namespace dialogs
