#pragma once

#include <QObject>
#include <string>

namespace platform {

enum class ClipboardStatus { Ok, NoText, CannotOpen, NoMemory };

// The system clipboard as the program uses it: plain text in the system code page.
// The watcher and the edit commands reach the clipboard only through this port, so tests
// can put a fake in its place that simulates failures and other programs.
class ClipboardPort : public QObject {
  Q_OBJECT

 public:
  using QObject::QObject;

  // Reads the plain text, converted to the system code page and cut at its first zero.
  // NoText when the clipboard holds no text (empty, only other formats, or a secret).
  virtual ClipboardStatus ReadText(std::string& text) = 0;
  // A second copy of the text that ReadText gave last, made where copying does not hold
  // up the window (a large text); false when there is none and the caller copies.
  virtual bool TakeSpareCopy(std::string& text) {
    (void)text;
    return false;
  }
  // Empties the clipboard and puts `text` on it as its only content.
  // Ok, CannotOpen or NoMemory.
  virtual ClipboardStatus WriteText(const std::string& text) = 0;
  // Empties the clipboard; false when it could not be opened.
  virtual bool Clear() = 0;
  virtual bool HasText() = 0;
  virtual bool HasAnyFormat() = 0;

 signals:
  // Another program, or this one, changed the clipboard's content.
  void Changed();
};

}  // namespace platform
