#include "framework/view.h"

#include <QPointer>
#include <vector>

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

namespace {
int g_nBatchDepth = 0;
std::vector<QPointer<CView>> g_deferred;
}  // namespace

ViewUpdateBatch::ViewUpdateBatch() { ++g_nBatchDepth; }

ViewUpdateBatch::~ViewUpdateBatch() {
  std::vector<QPointer<CView>> views;
  views.swap(g_deferred);
  --g_nBatchDepth;
  for (const QPointer<CView>& view : views) {
    if (view) view->FlushPendingUpdate();
  }
}

bool ViewUpdateBatch::IsActive() { return g_nBatchDepth > 0; }

void ViewUpdateBatch::Defer(CView* view) {
  for (const QPointer<CView>& waiting : g_deferred) {
    if (waiting == view) return;
  }
  g_deferred.emplace_back(view);
}

}  // namespace fw
