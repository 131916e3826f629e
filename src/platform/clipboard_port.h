#pragma once

#include <QObject>
#include <string>
#include <utility>

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
  // True where the port sees other programs' copies only while a window of ours has the
  // focus (Qt's clipboard on a Wayland compositor without data-control).
  virtual bool SeesCopiesOnlyWithFocus() const { return false; }

  // A port that reads off the window's thread does not make the start wait for its first
  // read: until that arrives, the clipboard at start is still to come.
  bool StartupReadPending() const { return m_bStartupReadPending; }
  // True while Changed reports that first read: the clipboard as it was at start.
  bool IsStartupReadNotice() const { return m_bStartupReadNotice; }

 signals:
  // Another program, or this one, changed the clipboard's content.
  void Changed();

 protected:
  void ExpectStartupRead() { m_bStartupReadPending = true; }
  // A reader's result is taken (the first one is the read at start), or the port changes
  // the clipboard itself.
  void NoteReadResult() { m_bStartupReadNotice = std::exchange(m_bStartupReadPending, false); }
  void NoteOwnChange() { m_bStartupReadNotice = false; }

 private:
  bool m_bStartupReadPending = false;
  bool m_bStartupReadNotice = false;
};

}  // namespace platform
