#pragma once

#include <QLineEdit>
#include <cstddef>

namespace dialogs {

// A one-line text box that holds at most a number of bytes in the system code page.
// Whatever is typed, pasted, dropped or committed by an input method beyond the limit is
// cut at the limit, never inside a character; the text around the insertion stays.
class ByteLimitedLineEdit : public QLineEdit {
  Q_OBJECT

 public:
  ByteLimitedLineEdit(std::size_t limit, QWidget* parent = nullptr);

  std::size_t ByteLimit() const { return m_nLimit; }
  // Bytes `text` takes in the system code page.
  static std::size_t ByteLength(const QString& text);
  // The longest start of `text` that takes at most `bytes` bytes, whole characters only.
  static QString LeftBytes(const QString& text, std::size_t bytes);

 private:
  std::size_t m_nLimit;
};

}  // namespace dialogs
