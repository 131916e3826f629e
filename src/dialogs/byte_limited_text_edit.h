#pragma once

#include <QPlainTextEdit>
#include <cstddef>

namespace dialogs {

// A multi-line, word-wrapping text box that holds at most a number of bytes in the
// system code page. Typing, pasting and dropping beyond the limit are cut at the limit,
// never inside a character.
class ByteLimitedTextEdit : public QPlainTextEdit {
  Q_OBJECT

 public:
  explicit ByteLimitedTextEdit(QWidget* parent = nullptr);

  void SetByteLimit(std::size_t limit) { m_nLimit = limit; }
  std::size_t ByteLimit() const { return m_nLimit; }
  // A line break takes "\r\n" (2) or "\n" (1) in the item.
  void SetLineBreakBytes(std::size_t bytes) { m_nBreakBytes = bytes; }
  // Bytes the text of the box (line breaks as paragraph separators) takes in the item.
  std::size_t ByteLength(const QString& text) const;
  // The longest start of `text` that takes at most `bytes` bytes.
  QString LeftBytes(const QString& text, std::size_t bytes) const;

 protected:
  void keyPressEvent(QKeyEvent* event) override;
  void insertFromMimeData(const QMimeData* source) override;
  void inputMethodEvent(QInputMethodEvent* event) override;

 private:
  // Bytes still free if the selection is replaced.
  std::size_t FreeBytes() const;

  // Bytes of the character at `i` (a surrogate pair counts once, at its high half).
  std::size_t CharBytes(const QString& text, qsizetype i) const;

  std::size_t m_nLimit = 32767;
  std::size_t m_nBreakBytes = 1;
};

}  // namespace dialogs
