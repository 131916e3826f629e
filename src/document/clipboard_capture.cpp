#include "document/clipboard_capture.h"

#include <QScopedValueRollback>
#include <QString>

#include "document/tolvane_doc.h"
#include "framework/doc_manager.h"
#include "framework/mdi_child_wnd.h"
#include "framework/mdi_frame_wnd.h"
#include "framework/view.h"
#include "framework/win_app.h"
#include "platform/clipboard_port.h"
#include "resources/messages.h"

namespace doc {

ClipboardCapture::ClipboardCapture(platform::ClipboardPort& clipboard) : m_clipboard(clipboard) {}

void ClipboardCapture::Watch(fw::CMDIFrameWnd& frame, fw::CDocManager& documents) {
  if (m_pFrame) return;
  m_pFrame = &frame;
  m_pDocuments = &documents;
  connect(&m_clipboard, &platform::ClipboardPort::Changed, this,
          &ClipboardCapture::OnDrawClipboard);
  // Joining is followed by one notice: the text on the clipboard at start-up. A port that
  // reads it off the window's thread gives it later, as its first change notice.
  OnDrawClipboard();
  m_bStartupReadPending = m_clipboard.StartupReadPending();
}

void ClipboardCapture::Unwatch() {
  if (!m_pFrame) return;
  // The documents stay known: a notice still being handled (a message box of its own is
  // open) ends with them.
  m_pFrame = nullptr;
  disconnect(&m_clipboard, &platform::ClipboardPort::Changed, this,
             &ClipboardCapture::OnDrawClipboard);
}

void ClipboardCapture::OnDrawClipboard() {
  // The active list's views refill for the new item and every view for its marker: each
  // view does that work once, at the end.
  const fw::ViewUpdateBatch batch;
  CaptureClipboardText();
  const bool startupRead = m_bStartupReadPending && m_clipboard.IsStartupReadNotice();
  // Also ends the wait when the read at start was dropped as out of date.
  if (!m_clipboard.StartupReadPending()) m_bStartupReadPending = false;

  fw::CMDIChildWnd* child = m_pFrame ? m_pFrame->MDIGetActive() : nullptr;
  if (child && startupRead) {
    // The clipboard at start goes to the lists made new before it was read, not into a
    // file opened at start.
    for (fw::CDocument* document : m_pDocuments->GetDocuments()) {
      if (auto* list = dynamic_cast<CTolvaneDoc*>(document)) list->AddStartupText();
    }
  } else if (child && m_bAutoPaste) {
    if (m_bSkipNextCapture) {
      m_bSkipNextCapture = false;
    } else if (auto* doc = dynamic_cast<CTolvaneDoc*>(child->GetActiveDocument())) {
      doc->AddClipboardText();
    }
  }
  // A large text's copy for the list that no list took is not kept.
  std::string().swap(m_strItemCopy);
  if (!child) return;
  // Listeners outside the window learn of the text first; redrawing waits for the batch.
  emit Handled();
  // Every view redraws its marker for the new text and keeps its selection.
  for (fw::CDocument* document : m_pDocuments->GetDocuments()) {
    const std::vector<fw::CView*> views = document->GetViews();
    for (fw::CView* view : views) view->OnInitialUpdate();
  }
}

void ClipboardCapture::CaptureClipboardText() {
  std::string text;
  // Swapped and emptied with fresh strings, not assigned or cleared: a short text put
  // into a string that held a long one keeps the long one's memory.
  std::string().swap(m_strItemCopy);
  switch (m_clipboard.ReadText(text)) {
    case platform::ClipboardStatus::Ok:
      m_strClipText.swap(text);
      m_clipboard.TakeSpareCopy(m_strItemCopy);
      break;
    case platform::ClipboardStatus::NoText:
      std::string().swap(m_strClipText);
      break;
    case platform::ClipboardStatus::CannotOpen:
      ShowMessage(res::kMsgClipboardInUse);
      break;
    case platform::ClipboardStatus::NoMemory:
      std::string().swap(m_strClipText);
      ShowMessage(res::kMsgNoMemoryClipText);
      break;
  }
}

std::string ClipboardCapture::TakeClipTextCopy() {
  if (m_strItemCopy != m_strClipText) return m_strClipText;
  std::string text = std::move(m_strItemCopy);
  m_strItemCopy.clear();
  return text;
}

void ClipboardCapture::ShowMessage(const char* text) {
  if (m_bMessageOpen) return;
  // Open until the box returns, or until it throws.
  const QScopedValueRollback<bool> open(m_bMessageOpen, true);
  fw::AppMessageBox(QString::fromUtf8(text), platform::MbIcon::Stop, platform::MbButtons::Ok, 0,
                    /*systemModal=*/true);
}

}  // namespace doc
