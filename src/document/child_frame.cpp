#include "document/child_frame.h"

#include <QMdiArea>

#include "document/clip_doc_template.h"
#include "resources/command_ids.h"
#include "resources/icons.h"

namespace doc {

CChildFrame::CChildFrame(const CClipDocTemplate* docTemplate) : m_pDocTemplate(docTemplate) {
  setWindowIcon(DocumentIcon());
}

QIcon CChildFrame::DocumentIcon() { return QIcon(QPixmap(res::DocIconXpm32())); }

bool CChildFrame::DestroyWindow() {
  if (QMdiArea* area = mdiArea()) {
    // StackingOrder runs from back to front: the first entry is the bottom-most window.
    const QList<QMdiSubWindow*> stack = area->subWindowList(QMdiArea::StackingOrder);
    if (!stack.isEmpty() && stack.first() == this) {
      if (ItemCountSink* sink = m_pDocTemplate->CountSink()) sink->UpdateItemCount(0);
    }
  }
  return fw::CMDIChildWnd::DestroyWindow();
}

}  // namespace doc
