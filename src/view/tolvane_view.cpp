#include "view/tolvane_view.h"

#include <QApplication>
#include <QFocusEvent>
#include <QPointer>
#include <new>
#include <QResizeEvent>

#include "dialogs/clip_edit_dialog.h"
#include "document/tolvane_doc.h"
#include "framework/win_app.h"
#include "platform/clipboard_port.h"
#include "resources/command_ids.h"
#include "resources/messages.h"
#include "view/clip_list_box.h"
#include "view/clip_list_model.h"
#include "view/find_state.h"

namespace view {

CTolvaneView::CTolvaneView(doc::ClipboardCapture& capture, FindState& findState)
    : m_capture(capture),
      m_findState(findState),
      m_pListBox(new CClipListBox(this)),
      m_pModel(new ClipListModel(this)) {
  m_pListBox->setModel(m_pModel);
  // Lines measured after the first paint may widen the list.
  connect(m_pModel, &ClipListModel::ExtentChanged, this, [this] {
    m_pListBox->SetLineMetrics(m_pModel->LineHeight(), m_pModel->HorizontalExtent());
  });
  setFocusPolicy(Qt::StrongFocus);
}

CTolvaneView::~CTolvaneView() = default;

doc::CTolvaneDoc* CTolvaneView::GetDocument() const {
  return static_cast<doc::CTolvaneDoc*>(fw::CView::GetDocument());
}

void CTolvaneView::SetDocument(fw::CDocument* document) {
  fw::CView::SetDocument(document);
  // A view that left its document shows nothing rather than a list that may be gone.
  if (!document) m_pModel->Refill(nullptr, nullptr, m_pListBox->font());
}

void CTolvaneView::resizeEvent(QResizeEvent* event) {
  fw::CView::resizeEvent(event);
  m_pListBox->setGeometry(rect());
}

void CTolvaneView::focusInEvent(QFocusEvent* event) {
  fw::CView::focusInEvent(event);
  OnListFocus();
  m_pListBox->setFocus(event->reason());
}

void CTolvaneView::OnListFocus() {
  const doc::CTolvaneDoc* doc = GetDocument();
  if (doc && doc->CountSink()) doc->CountSink()->UpdateItemCount(m_pListBox->GetCount());
}

void CTolvaneView::OnInitialUpdate() {
  const doc::CTolvaneDoc* doc = GetDocument();
  const int count = doc ? doc->GetItemList().GetCount() : 0;
  // The selection the view keeps: the one a waiting update will make, else the current.
  int selection = m_pListBox->GetCurSel();
  if (m_bUpdatePending) selection = m_nPendingHint < count ? m_nPendingHint : -1;
  if (selection < 0) selection = count > 0 ? 0 : -1;
  OnUpdate(this, selection);
}

void CTolvaneView::OnUpdate(fw::CView*, int hint) {
  if (fw::ViewUpdateBatch::IsActive()) {
    m_bUpdatePending = true;
    m_nPendingHint = hint;
    fw::ViewUpdateBatch::Defer(this);
    return;
  }
  m_bUpdatePending = false;
  RefillList(hint);
}

void CTolvaneView::FlushPendingUpdate() {
  if (!m_bUpdatePending) return;
  m_bUpdatePending = false;
  RefillList(m_nPendingHint);
}

void CTolvaneView::RefillList(int hint) {
  const doc::CTolvaneDoc* doc = GetDocument();
  const std::string* clipText = doc ? &m_capture.ClipText() : nullptr;

  // The list is drawn once, with its new lines and selection, in the same pass as the
  // rest of the window that changed with it (the item count, the scroll bars): one paint
  // and one transfer to the screen per change.
  const ClipListModel::RefillResult result =
      m_pModel->Refill(doc ? &doc->GetItemList() : nullptr, clipText, m_pListBox->font());
  m_pListBox->SetLineMetrics(m_pModel->LineHeight(), m_pModel->HorizontalExtent());
  // A capture moves the lines drawn instead of drawing them all again.
  switch (m_pModel->LastChange()) {
    case ClipListModel::LineChange::Marker:
      m_pListBox->ShowMovedLines(-1);
      break;
    case ClipListModel::LineChange::ToHead:
      m_pListBox->ShowMovedLines(m_pModel->MovedFrom());
      break;
    case ClipListModel::LineChange::Added:
      m_pListBox->ShowMovedLines(m_pModel->MovedFrom(), /*selectionMoved=*/true);
      break;
    case ClipListModel::LineChange::Other:
      m_pListBox->viewport()->update();
      break;
  }
  if (m_pModel->rowCount() > 0) m_pListBox->SetCurSel(hint);

  if (result == ClipListModel::RefillResult::OutOfMemory && GetDocument()) {
    m_capture.ShowMessage(res::kMsgNoMemoryDisplay);
  }
}

void CTolvaneView::OnDblclkClipList() { OnEditCopy(); }

bool CTolvaneView::OnCmdMsg(unsigned id, fw::CCmdUI* ui) {
  static const fw::CommandMapEntry<CTolvaneView> map[] = {
      {res::ID_EDIT_MODIFY, &CTolvaneView::OnEditModify, &CTolvaneView::OnUpdateNeedSelection},
      {res::ID_EDIT_CUT, &CTolvaneView::OnEditCut, &CTolvaneView::OnUpdateNeedSelection},
      {res::ID_EDIT_COPY, &CTolvaneView::OnEditCopy, &CTolvaneView::OnUpdateNeedSelection},
      {res::ID_EDIT_PASTE, &CTolvaneView::OnEditPaste, &CTolvaneView::OnUpdateEditPaste},
      {res::ID_EDIT_CLEAR, &CTolvaneView::OnEditDelete, &CTolvaneView::OnUpdateNeedSelection},
      {res::ID_EDIT_FIND, &CTolvaneView::OnEditFind, &CTolvaneView::OnUpdateEditFind},
  };
  return fw::DispatchCommandMap(this, map, id, ui) || fw::CView::OnCmdMsg(id, ui);
}

void CTolvaneView::OnUpdateNeedSelection(fw::CCmdUI* ui) { ui->Enable(m_pListBox->GetCurSel() >= 0); }

void CTolvaneView::OnUpdateEditPaste(fw::CCmdUI* ui) {
  ui->Enable(m_capture.Clipboard().HasText());
}

bool CTolvaneView::SetClipboardText(const std::string& text) {
  switch (m_capture.Clipboard().WriteText(text)) {
    case platform::ClipboardStatus::NoMemory:
      fw::AppMessageBox(QString::fromUtf8(res::kMsgNoGlobalMemory), platform::MbIcon::Stop);
      return false;
    case platform::ClipboardStatus::CannotOpen:
      fw::AppMessageBox(QString::fromUtf8(res::kMsgClipboardOpenFailed),
                        platform::MbIcon::Exclamation);
      return false;
    default:
      return true;
  }
}

void CTolvaneView::OnEditCopy() {
  const int line = m_pListBox->GetCurSel();
  doc::CTolvaneDoc* doc = GetDocument();
  if (line < 0 || !doc || line >= doc->GetItemList().GetCount()) return;
  // A copy of the whole item, not the shortened line: the notice that the write causes
  // may change the list before the write returns.
  const std::string text = doc->GetItemList().GetAt(line);
  SetClipboardText(text);
}

void CTolvaneView::OnEditCut() {
  doc::CTolvaneDoc* doc = GetDocument();
  if (m_pListBox->GetCurSel() < 0 || !doc) return;
  // Set before the write: the change notice it causes must add nothing.
  m_capture.SkipNextCapture();
  OnEditCopy();
  OnEditDelete();
}

void CTolvaneView::OnEditDelete() {
  if (doc::CTolvaneDoc* doc = GetDocument()) doc->DeleteItem(m_pListBox->GetCurSel());
}

void CTolvaneView::OnEditPaste() {
  if (doc::CTolvaneDoc* doc = GetDocument()) doc->AddClipboardText();
}

void CTolvaneView::OnEditModify() {
  const int line = m_pListBox->GetCurSel();
  doc::CTolvaneDoc* doc = GetDocument();
  if (line < 0 || !doc || line >= doc->GetItemList().GetCount()) return;

  // Captures go on while the dialog is open and may move or remove the item: the
  // position follows the list, and a removed item is left alone.
  const doc::CClipList& list = doc->GetItemList();
  doc::CClipList::TrackedPosition position(list, line);
  const std::string itemText = list.GetAt(line);
  const QPointer<CTolvaneView> self(this);
  int result = 0;
  std::string edited;
  {
    dialogs::CClipEditDialog dialog(this, itemText);
    result = dialog.DoModal();
    edited = dialog.EditedText();
  }
  if (!self || GetDocument() != doc) return;
  // A capture of the item's own text takes it out and puts it back at the head: the
  // item has moved, not gone, and is found by its text (a list holds each text once).
  const int current = position.Get() >= 0 ? position.Get() : list.Find(itemText);
  ApplyEdit(result, edited, current);
}

void CTolvaneView::ApplyEdit(int result, const std::string& text, int position) {
  using dialogs::CClipEditDialog;
  if (result == CClipEditDialog::IDTRANSFER) {
    SetClipboardText(text);
    return;
  }
  if (result != CClipEditDialog::IDUPDATE && result != CClipEditDialog::IDINSERT) return;
  if (position < 0) {
    // The item went away while the dialog was open: there is nothing to update or to
    // insert above any more.
    QApplication::beep();
    return;
  }
  if (result == CClipEditDialog::IDUPDATE) {
    GetDocument()->ReplaceItem(position, text);
  } else {
    GetDocument()->InsertItemAbove(position, text);
  }
}

}  // namespace view
