#include "framework/mdi_child_wnd.h"

#include <QCloseEvent>
#include <QAction>
#include <QMdiArea>
#include <QMenu>

#include "framework/doc_template.h"
#include "framework/document.h"
#include "framework/mdi_frame_wnd.h"
#include "framework/view.h"
#include "framework/win_app.h"
#include "framework/framework_ids.h"

namespace fw {

CMDIChildWnd::CMDIChildWnd() {
  setAttribute(Qt::WA_DeleteOnClose, false);
  // The window menu's items show their prompts in the status bar like every command.
  // They are found by Qt's own texts, translated as the menu shows them.
  static const struct {
    const char* text;
    unsigned prompt;
  } kSystemPrompts[] = {
      {"&Restore", ids::IDS_SC_RESTORE},   {"&Move", ids::IDS_SC_MOVE},
      {"&Size", ids::IDS_SC_SIZE},         {"Mi&nimize", ids::IDS_SC_MINIMIZE},
      {"Ma&ximize", ids::IDS_SC_MAXIMIZE}, {"&Close", ids::IDS_SC_CLOSE},
  };
  if (QMenu* menu = systemMenu()) {
    for (QAction* action : menu->actions()) {
      for (const auto& entry : kSystemPrompts) {
        if (action->text() == QMdiSubWindow::tr(entry.text)) {
          action->setStatusTip(LoadQString(entry.prompt));
        }
      }
    }
    // Ctrl+F4 is the main window's own key for closing the active window. Where the
    // platform also binds it to this menu's Close, the two would be ambiguous and neither
    // would fire.
    for (QAction* action : menu->actions()) {
      QList<QKeySequence> keys = action->shortcuts();
      if (keys.removeAll(QKeySequence(Qt::CTRL | Qt::Key_F4)) > 0) action->setShortcuts(keys);
    }
  }
}

CMDIChildWnd::~CMDIChildWnd() = default;

void CMDIChildWnd::SetView(CView* view) {
  m_pView = view;
  setWidget(view);
}

CDocument* CMDIChildWnd::GetActiveDocument() const {
  return m_pView ? m_pView->GetDocument() : nullptr;
}

CMDIFrameWnd* CMDIChildWnd::GetMDIFrame() const {
  for (QWidget* w = parentWidget(); w; w = w->parentWidget()) {
    if (auto* frame = qobject_cast<CMDIFrameWnd*>(w)) return frame;
  }
  return nullptr;
}

void CMDIChildWnd::SetWindowNumber(int number) {
  m_nWindow = number;
  OnUpdateFrameTitle();
}

void CMDIChildWnd::OnUpdateFrameTitle() {
  CDocument* doc = GetActiveDocument();
  QString title = doc ? doc->GetTitle() : QString();
  if (m_nWindow > 0) title += QLatin1Char(':') + QString::number(m_nWindow);
  setWindowTitle(title);
  if (CMDIFrameWnd* frame = GetMDIFrame()) frame->OnUpdateFrameTitle();
}

bool CMDIChildWnd::DestroyWindow() {
  if (m_bDestroyed) return false;
  m_bDestroyed = true;

  CMDIFrameWnd* mainFrame = GetMDIFrame();
  CDocument* doc = GetActiveDocument();
  if (m_pView && doc) doc->RemoveView(m_pView);

  hide();
  if (QMdiArea* area = mdiArea()) area->removeSubWindow(this);
  deleteLater();

  if (doc && doc->GetViews().empty()) {
    if (CDocTemplate* docTemplate = doc->GetDocTemplate()) docTemplate->RemoveDocument(doc);
  }
  if (mainFrame) mainFrame->OnChildDestroyed();
  return true;
}

void CMDIChildWnd::CloseFrame() {
  CDocument* doc = GetActiveDocument();
  if (doc && doc->GetViews().size() == 1) {
    if (!doc->SaveModified()) return;
    if (CDocTemplate* docTemplate = doc->GetDocTemplate()) {
      docTemplate->CloseDocument(doc);
      return;
    }
  }
  DestroyWindow();
}

void CMDIChildWnd::closeEvent(QCloseEvent* event) {
  // Destruction is ours: the window leaves the client area at once and the document
  // ends with its last window.
  event->ignore();
  CloseFrame();
}

}  // namespace fw
