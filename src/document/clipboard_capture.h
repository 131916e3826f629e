#pragma once

#include <QObject>
#include <string>

namespace fw {
class CDocManager;
class CMDIFrameWnd;
}  // namespace fw
namespace platform {
class ClipboardPort;
}

namespace doc {

// The program's clipboard watcher and what it keeps: the text the clipboard held at the
// last change notice and the two capture switches. The application owns the one instance;
// the document template hands it to every list and view, which reach the clipboard only
// through it.
class ClipboardCapture : public QObject {
  Q_OBJECT

 public:
  explicit ClipboardCapture(platform::ClipboardPort& clipboard);

  platform::ClipboardPort& Clipboard() const { return m_clipboard; }

  // Joins: each change notice is captured into the active list of `frame`'s document
  // windows and refreshes every view of `documents`. Joining reads the clipboard at once.
  void Watch(fw::CMDIFrameWnd& frame, fw::CDocManager& documents);
  // Leaves; the text and switches stay as they are.
  void Unwatch();

  // The clipboard-change notice and its read of the clipboard.
  void OnDrawClipboard();
  void CaptureClipboardText();

  // The plain text at the last change notice, empty when there was none.
  const std::string& ClipText() const { return m_strClipText; }
  // A copy of ClipText for a list to keep: the one made ahead (for a large text) when
  // there is one, which it takes.
  std::string TakeClipTextCopy();

  bool AutoPaste() const { return m_bAutoPaste; }
  void SetAutoPaste(bool on) { m_bAutoPaste = on; }
  // Cut sets it before it writes the clipboard: the change notice that follows adds nothing.
  void SkipNextCapture() { m_bSkipNextCapture = true; }
  bool SkipsNextCapture() const { return m_bSkipNextCapture; }

  // The clipboard at start is still being read (the window did not wait for it): lists
  // made new meanwhile get its text when it comes.
  bool StartupReadPending() const { return m_bStartupReadPending; }

  // Shows a capture's stop message (error beep, system modal) unless one is open already.
  void ShowMessage(const char* text);
  bool IsMessageOpen() const { return m_bMessageOpen; }

  // Tests put a text in place without a change notice.
  void SetClipTextForTesting(std::string text) { m_strClipText = std::move(text); }

 signals:
  // A change notice has been captured into the active list (or refused by its rules),
  // before any view has redrawn. Not sent while no document window is open.
  void Handled();

 private:
  platform::ClipboardPort& m_clipboard;
  fw::CMDIFrameWnd* m_pFrame = nullptr;
  fw::CDocManager* m_pDocuments = nullptr;

  std::string m_strClipText;
  bool m_bAutoPaste = true;
  bool m_bSkipNextCapture = false;
  bool m_bStartupReadPending = false;
  // A capture's message box is open. Its event loop goes on taking clipboard changes;
  // their messages are not shown inside it, so boxes never nest however fast the
  // clipboard changes.
  bool m_bMessageOpen = false;
  // Empty, or a copy of m_strClipText made ahead (for a large text) for the list to take.
  std::string m_strItemCopy;
};

}  // namespace doc
