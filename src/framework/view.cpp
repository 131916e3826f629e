#include "framework/view.h"

#include "framework/document.h"
#include "framework/mdi_child_wnd.h"

namespace fw {

CView::CView(QWidget* parent) : QWidget(parent) {}

CView::~CView() {
  if (m_pDocument) m_pDocument->RemoveView(this);
}

CMDIChildWnd* CView::GetParentFrame() const {
  for (QWidget* w = parentWidget(); w; w = w->parentWidget()) {
    if (auto* frame = qobject_cast<CMDIChildWnd*>(w)) return frame;
  }
  return nullptr;
}

void CView::OnInitialUpdate() { OnUpdate(nullptr, 0); }

void CView::OnUpdate(CView*, int) { update(); }

}  // namespace fw
