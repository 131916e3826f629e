#include "framework/mdi_child_wnd.h"

#include <QCloseEvent>
#include <QAction>
#include <QMdiArea>
#include <QMenu>
#include <map>

#include "framework/doc_template.h"
#include "framework/document.h"
#include "framework/mdi_frame_wnd.h"
#include "framework/view.h"
#include "framework/win_app.h"
#include "framework/framework_ids.h"
#include "framework/resource_tables.h"

namespace fw {

CMDIChildWnd::CMDIChildWnd() {
  setAttribute(Qt::WA_DeleteOnClose, false);
  BuildSystemMenu();
}

// The window's own menu is the program's table: Qt's items that restore, move, size,
// minimize, maximize and close keep their work under the table's texts, Qt's other items
// go, and the two items that switch windows are ours.
void CMDIChildWnd::BuildSystemMenu() {
  QMenu* menu = systemMenu();
  const UiTables& tables = GetUiTables();
  if (!menu || !tables.documentWindowMenu) return;
  // Qt's items, found by Qt's own texts as the menu shows them.
  static const struct {
    const char* text;
    unsigned id;
  } kQtItems[] = {
      {"&Restore", ids::IDS_SC_RESTORE},   {"&Move", ids::IDS_SC_MOVE},
      {"&Size", ids::IDS_SC_SIZE},         {"Mi&nimize", ids::IDS_SC_MINIMIZE},
      {"Ma&ximize", ids::IDS_SC_MAXIMIZE}, {"&Close", ids::IDS_SC_CLOSE},
  };
  std::map<unsigned, QAction*> qtActions;
  for (QAction* action : menu->actions()) {
    for (const auto& item : kQtItems) {
      if (action->text() == QMdiSubWindow::tr(item.text)) qtActions[item.id] = action;
    }
    menu->removeAction(action);
  }
  for (const MenuItem& item : tables.documentWindowMenu()) {
    if (item.id == 0) {
      menu->addSeparator();
      continue;
    }
    QAction* action = qtActions[item.id];
    if (!action) action = new QAction(this);
    if (item.id == ids::IDS_SC_NEXTWINDOW || item.id == ids::IDS_SC_PREVWINDOW) {
      const bool next = item.id == ids::IDS_SC_NEXTWINDOW;
      connect(action, &QAction::triggered, this, [this, next] {
        if (CMDIFrameWnd* frame = GetMDIFrame()) next ? frame->MDINext() : frame->MDIPrevious();
      });
    }
    action->setText(QString::fromUtf8(item.text.data(), static_cast<qsizetype>(item.text.size())));
    // The keys named in the texts are the main window's; Qt's own (Ctrl+W) go.
    action->setShortcuts({});
    action->setStatusTip(LoadQString(item.id));
    // A highlighted item of this menu sends its prompt to the action's parent: from this
    // window it reaches the main window's status bar, as a menu bar item's prompt does.
    action->setParent(this);
    menu->addAction(action);
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
