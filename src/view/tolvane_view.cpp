#include "view/tolvane_view.h"

#include <QFocusEvent>
#include <QResizeEvent>

#include "app/main_frame.h"
#include "document/tolvane_doc.h"
#include "framework/win_app.h"
#include "resources/messages.h"
#include "view/clip_list_box.h"
#include "view/clip_list_model.h"

namespace view {

CTolvaneView::CTolvaneView()
    : m_pListBox(new CClipListBox(this)), m_pModel(new ClipListModel(this)) {
  m_pListBox->setModel(m_pModel);
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
  if (app::CMainFrame* frame = app::MainFrame()) frame->UpdateItemCount(m_pListBox->GetCount());
}

void CTolvaneView::OnInitialUpdate() {
  int selection = m_pListBox->GetCurSel();
  if (selection < 0) {
    const doc::CTolvaneDoc* doc = GetDocument();
    selection = doc && !doc->m_itemList.IsEmpty() ? 0 : -1;
  }
  OnUpdate(this, selection);
}

void CTolvaneView::OnUpdate(fw::CView*, int hint) { RefillList(hint); }

void CTolvaneView::RefillList(int hint) {
  const doc::CTolvaneDoc* doc = GetDocument();
  const app::CMainFrame* frame = app::MainFrame();
  const std::string* clipText = frame ? &frame->m_strClipText : nullptr;

  m_pListBox->setUpdatesEnabled(false);
  const ClipListModel::RefillResult result =
      m_pModel->Refill(doc ? &doc->m_itemList : nullptr, clipText, m_pListBox->font());
  if (m_pModel->rowCount() > 0) m_pListBox->SetCurSel(hint);
  m_pListBox->setUpdatesEnabled(true);
  m_pListBox->viewport()->repaint();

  if (result == ClipListModel::RefillResult::OutOfMemory) {
    fw::AppMessageBox(QString::fromUtf8(res::kMsgNoMemoryDisplay), platform::MbIcon::Stop,
                      platform::MbButtons::Ok, 0, /*systemModal=*/true);
  }
}

void CTolvaneView::OnDblclkClipList() {}

bool CTolvaneView::OnCmdMsg(unsigned id, fw::CCmdUI* ui) { return fw::CView::OnCmdMsg(id, ui); }

}  // namespace view
