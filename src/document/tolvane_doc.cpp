#include "document/tolvane_doc.h"

#include <new>

#include "app/main_frame.h"
#include "framework/win_app.h"
#include "resources/command_ids.h"
#include "resources/messages.h"

namespace doc {
namespace {

using platform::MbButtons;
using platform::MbIcon;

int ShowStop(const char* text, bool systemModal) {
  return fw::AppMessageBox(QString::fromUtf8(text), MbIcon::Stop, MbButtons::Ok, 0, systemModal);
}

}  // namespace

void CTolvaneDoc::UpdateItemCount() const {
  if (app::CMainFrame* frame = app::MainFrame()) frame->UpdateItemCount(m_itemList.GetCount());
}

void CTolvaneDoc::AddClipboardText() {
  app::CMainFrame* frame = app::MainFrame();
  if (!frame || frame->m_strClipText.empty()) return;
  // A copy: a message box below runs an event loop in which the text may change.
  std::string text = frame->m_strClipText;

  const int removed = RemoveEqualItem(text);
  if (m_itemList.GetCount() >= kMaxCapturedItems) {
    ShowStop(res::kMsgItemLimit, /*systemModal=*/true);
    return;
  }
  try {
    m_itemList.AddHead(std::move(text));
  } catch (const std::bad_alloc&) {
    KeepViewsInStep(removed);
    ShowStop(res::kMsgNoMemoryAddText, /*systemModal=*/true);
    return;
  }
  UpdateAllViews(nullptr, 0);
  SetModifiedFlag(true);
  UpdateItemCount();
}

void CTolvaneDoc::KeepViewsInStep(int removedPosition) {
  // An equal item left the list before the addition failed: the views and the count
  // must not go on showing it.
  if (removedPosition < 0) return;
  UpdateAllViews(nullptr, -1);
  UpdateItemCount();
}

int CTolvaneDoc::RemoveEqualItem(std::string_view text) {
  const int position = m_itemList.Find(text);
  if (position >= 0) m_itemList.RemoveAt(position);
  return position;
}

void CTolvaneDoc::OnEditUndo() {
  if (m_strDeleted.empty() || m_nDeletedIndex == -1) return;
  const int removed = RemoveEqualItem(m_strDeleted);
  try {
    if (m_nDeletedIndex < m_itemList.GetCount()) {
      m_itemList.InsertBefore(m_nDeletedIndex, m_strDeleted);
    } else {
      m_itemList.AddTail(m_strDeleted);
    }
  } catch (const std::bad_alloc&) {
    KeepViewsInStep(removed);
    ShowStop(res::kMsgNoMemoryUndo, /*systemModal=*/false);
    return;
  }
  UpdateAllViews(nullptr, m_nDeletedIndex);
  SetModifiedFlag(true);
  UpdateItemCount();
  m_strDeleted.clear();
  m_nDeletedIndex = -1;
}

void CTolvaneDoc::OnEditClearAll() {
  const int answer = fw::AppMessageBox(QString::fromUtf8(res::kMsgConfirmClearAll),
                                       MbIcon::Exclamation, MbButtons::OkCancel,
                                       0x10000 + res::ID_EDIT_CLEAR_ALL);
  if (answer != platform::IDOK) return;
  m_itemList.RemoveAll();
  UpdateAllViews(nullptr, -1);
  SetModifiedFlag(false);
  UpdateItemCount();
}

void CTolvaneDoc::SetModifiedFlag(bool modified) {
  if (modified && !IsModified()) {
    SetTitle(GetTitle() + QStringLiteral(" *"));
    m_bModified = true;
  } else if (!modified && IsModified()) {
    SetTitle(GetTitle().left(GetTitle().size() - 2));
    m_bModified = false;
  }
}

bool CTolvaneDoc::OnNewDocument() {
  if (!fw::CDocument::OnNewDocument()) return false;
  app::CMainFrame* frame = app::MainFrame();
  if (frame && frame->m_bAutoPaste) AddClipboardText();
  return true;
}

void CTolvaneDoc::DeleteContents() { m_itemList.RemoveAll(); }

bool CTolvaneDoc::OnCmdMsg(unsigned id, fw::CCmdUI* ui) {
  static const fw::CommandMapEntry<CTolvaneDoc> map[] = {
      {res::ID_FILE_SAVE, nullptr, &CTolvaneDoc::OnUpdateFileSave},
      {res::ID_FILE_SAVE_AS, nullptr, &CTolvaneDoc::OnUpdateListNotEmpty},
      {res::ID_FILE_SAVE_TEXT, nullptr, &CTolvaneDoc::OnUpdateListNotEmpty},
      {res::ID_EDIT_UNDO, &CTolvaneDoc::OnEditUndo, &CTolvaneDoc::OnUpdateEditUndo},
      {res::ID_EDIT_CLEAR_ALL, &CTolvaneDoc::OnEditClearAll, &CTolvaneDoc::OnUpdateListNotEmpty},
  };
  return fw::DispatchCommandMap(this, map, id, ui) || fw::CDocument::OnCmdMsg(id, ui);
}

void CTolvaneDoc::OnUpdateFileSave(fw::CCmdUI* ui) {
  ui->Enable(!m_itemList.IsEmpty() && IsModified());
}

void CTolvaneDoc::OnUpdateListNotEmpty(fw::CCmdUI* ui) { ui->Enable(!m_itemList.IsEmpty()); }

void CTolvaneDoc::OnUpdateEditUndo(fw::CCmdUI* ui) { ui->Enable(!m_strDeleted.empty()); }

}  // namespace doc
