#include "document/child_frame.h"

#include <QMdiArea>

#include "app/main_frame.h"
#include "resources/command_ids.h"
#include "resources/icons.h"

namespace doc {

CChildFrame::CChildFrame() { setWindowIcon(QIcon(QPixmap(res::DocIconXpm32()))); }

bool CChildFrame::DestroyWindow() {
  if (QMdiArea* area = mdiArea()) {
    // StackingOrder runs from back to front: the first entry is the bottom-most window.
    const QList<QMdiSubWindow*> stack = area->subWindowList(QMdiArea::StackingOrder);
    if (!stack.isEmpty() && stack.first() == this) {
      if (app::CMainFrame* frame = app::MainFrame()) frame->UpdateItemCount(0);
    }
  }
  return fw::CMDIChildWnd::DestroyWindow();
}

}  // namespace doc
