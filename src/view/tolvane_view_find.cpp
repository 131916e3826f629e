// The find command of the view: the find dialog, its notices, the search and its report.
#include <QApplication>
#include <new>

#include "dialogs/find_dialog.h"
#include "document/tolvane_doc.h"
#include "framework/cmd_target.h"
#include "platform/code_page.h"
#include "platform/message_box.h"
#include "resources/messages.h"
#include "view/clip_list_box.h"
#include "view/find_state.h"
#include "view/search_list.h"
#include "view/tolvane_view.h"

namespace view {

void CTolvaneView::OnUpdateEditFind(fw::CCmdUI* ui) {
  const doc::CTolvaneDoc* doc = GetDocument();
  ui->Enable(doc && !doc->GetItemList().IsEmpty());
}

void CTolvaneView::OnEditFind() {
  FindState& state = m_findState;
  // One dialog for the program: another view's command only brings it to the front.
  if (dialogs::CFindDialog* open = state.m_pFindDialog) {
    open->show();
    open->raise();
    open->activateWindow();
    return;
  }
  dialogs::CFindDialog* dialog = nullptr;
  try {
    dialog = new dialogs::CFindDialog(window(), state.m_strLastFind, state.m_bSearchDown != 0);
  } catch (const std::bad_alloc&) {
    return;
  }
  // The dialog belongs to this view: it closes when the view goes.
  state.OpenDialog(this, dialog);
  connect(dialog, &dialogs::CFindDialog::Notify, this, &CTolvaneView::OnFindReplace);

  if (state.m_bFirstOpen) {
    state.m_bFirstOpen = 0;
  } else {
    dialog->move(state.m_placement.topLeft());
  }
  dialog->show();
  dialog->raise();
  dialog->activateWindow();
}

void CTolvaneView::OnFindReplace(const dialogs::FindNotice& notice) {
  using dialogs::FindNotice;
  if (notice.flags & FindNotice::FR_DIALOGTERM) {
    m_findState.CloseDialogOwnedBy(this);
    return;
  }
  if (notice.flags & FindNotice::FR_FINDNEXT) FindNext(notice.text, (notice.flags & FindNotice::FR_DOWN) != 0);
}

void CTolvaneView::FindNext(const std::string& text, bool down) {
  FindState& state = m_findState;
  state.m_strLastFind = text;
  state.m_bSearchDown = down ? 1 : 0;
  // A view whose window is being destroyed has left its document: nothing to search.
  if (!GetDocument()) return;
  // A copy: another search may run while the not-found box is open.
  const std::string find = state.m_strLastFind;
  if (!SearchList(find, down)) ReportNotFound(find);
}

bool CTolvaneView::SearchList(const std::string& text, bool down) {
  const doc::CTolvaneDoc* doc = GetDocument();
  if (!doc) return false;
  const int hit = view::SearchList(doc->GetItemList(), text, m_pListBox->GetCurSel(), down,
                                   platform::SystemCodePage());
  if (hit < 0) return false;
  m_pListBox->SetCurSel(hit);
  QApplication::beep();
  return true;
}

void CTolvaneView::ReportNotFound(const std::string& text) {
  platform::MessageBoxRequest request;
  request.text = QString::fromUtf8(res::kMsgNotFoundBefore) +
                 QString::fromStdString(platform::ToUtf8(text, platform::SystemCodePage())) +
                 QString::fromUtf8(res::kMsgNotFoundAfter);
  request.caption = QString::fromUtf8(res::kCaptionFind);
  request.icon = platform::MbIcon::Information;
  request.buttons = platform::MbButtons::Ok;
  request.systemModal = true;
  request.beep = true;  // the default beep, before the box
  request.owner = this;
  platform::ShowMessageBox(request);
}

}  // namespace view
