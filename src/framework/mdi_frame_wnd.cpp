#include "framework/mdi_frame_wnd.h"

#include <QDragEnterEvent>
#include <QDropEvent>
#include <QEvent>
#include <QMimeData>
#include <QUrl>
#include <QPointer>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QStatusBar>
#include <QStyle>
#include <QTimer>
#include <QWhatsThis>
#include <algorithm>
#include <exception>
#include <new>

#include "framework/command_bars.h"
#include "framework/doc_manager.h"
#include "framework/doc_template.h"
#include "framework/help.h"
#include "framework/help_window.h"
#include "framework/document.h"
#include "framework/mdi_child_wnd.h"
#include "framework/view.h"
#include "framework/win_app.h"
#include "platform/message_box.h"
#include "framework/framework_ids.h"

namespace fw {

CMDIFrameWnd::CMDIFrameWnd(CWinApp& app) : m_app(app), m_pMdiClient(new QMdiArea(this)) {
  m_pBars = new CommandBars(this);
  setCentralWidget(m_pMdiClient);
  m_pMdiClient->setActivationOrder(QMdiArea::StackingOrder);
  // A document window left outside the visible part of the client area stays reachable.
  m_pMdiClient->setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
  m_pMdiClient->setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
  connect(m_pMdiClient, &QMdiArea::subWindowActivated, this,
          [this](QMdiSubWindow*) { OnActiveChildChanged(); });
  // The Window popup ends with the list of open document windows.
  m_pBars->AddListProvider(ids::ID_WINDOW_CASCADE, CommandBars::ListPlacement::AtPopupEnd,
                           [this] { return WindowListEntries(); });
}

std::vector<MenuListEntry> CMDIFrameWnd::WindowListEntries() {
  std::vector<MenuListEntry> entries;
  CMDIChildWnd* active = MDIGetActive();
  int number = 1;
  for (CMDIChildWnd* frame : GetChildFrames()) {
    QString title = frame->windowTitle();
    title.replace(QLatin1Char('&'), QLatin1String("&&"));
    MenuListEntry entry;
    entry.text = number < 10 ? QStringLiteral("&%1 %2").arg(number).arg(title)
                             : QStringLiteral("%1 %2").arg(number).arg(title);
    entry.checked = frame == active;
    const QPointer<CMDIChildWnd> target(frame);
    entry.run = [this, target] {
      if (target && !target->isHidden()) MDIActivate(target);
    };
    entries.push_back(std::move(entry));
    ++number;
  }
  return entries;
}

// Help goes with the program's main window.
CMDIFrameWnd::~CMDIFrameWnd() { HelpWindow::Quit(); }

namespace {

// The local files among the URLs of a drag; other URLs are not ours to open.
QStringList DroppedFiles(const QMimeData* data) {
  QStringList paths;
  if (!data || !data->hasUrls()) return paths;
  for (const QUrl& url : data->urls()) {
    if (url.isLocalFile() && !url.toLocalFile().isEmpty()) paths.push_back(url.toLocalFile());
  }
  return paths;
}

}  // namespace

void CMDIFrameWnd::ActivateFrame() {
  if (isMinimized()) {
    setWindowState((windowState() & ~Qt::WindowMinimized) | Qt::WindowActive);
  }
  show();
  raise();
  activateWindow();
}

void CMDIFrameWnd::OnDropFiles(const QStringList& paths) {
  ActivateFrame();
  for (const QString& path : paths) m_app.DocManager().OpenDocumentFile(path);
}

void CMDIFrameWnd::dragEnterEvent(QDragEnterEvent* event) {
  if (!acceptDrops() || DroppedFiles(event->mimeData()).isEmpty()) return;
  event->setDropAction(Qt::CopyAction);
  event->accept();
}

void CMDIFrameWnd::dragMoveEvent(QDragMoveEvent* event) {
  if (!acceptDrops() || DroppedFiles(event->mimeData()).isEmpty()) return;
  event->setDropAction(Qt::CopyAction);
  event->accept();
}

void CMDIFrameWnd::dropEvent(QDropEvent* event) {
  const QStringList paths = DroppedFiles(event->mimeData());
  if (!acceptDrops() || paths.isEmpty()) return;
  event->setDropAction(Qt::CopyAction);
  event->accept();
  // Opened once the drag is over: an open may show a message box, which must not keep
  // the program that the files came from waiting.
  QTimer::singleShot(0, this, [this, paths] { OnDropFiles(paths); });
}

CMDIChildWnd* CMDIFrameWnd::MDIGetActive() const {
  // currentSubWindow: the active one, also while the application itself is inactive.
  auto* child = qobject_cast<CMDIChildWnd*>(m_pMdiClient->currentSubWindow());
  if (child && child->isHidden()) return nullptr;
  return child;
}

std::vector<CMDIChildWnd*> CMDIFrameWnd::GetChildFrames() const {
  std::vector<CMDIChildWnd*> frames;
  for (QMdiSubWindow* w : m_pMdiClient->subWindowList(QMdiArea::CreationOrder)) {
    if (auto* child = qobject_cast<CMDIChildWnd*>(w)) frames.push_back(child);
  }
  return frames;
}

void CMDIFrameWnd::AddChildFrame(CMDIChildWnd* frame) {
  const int index = static_cast<int>(m_pMdiClient->subWindowList().size());
  m_pMdiClient->addSubWindow(frame);
  frame->setGeometry(CascadeRect(index, index + 1));
  connect(frame, &QMdiSubWindow::windowStateChanged, this, [this] { OnUpdateFrameTitle(); });
}

void CMDIFrameWnd::MDIActivate(CMDIChildWnd* frame) {
  m_pMdiClient->setActiveSubWindow(frame);
  OnActiveChildChanged();
}

void CMDIFrameWnd::MDINext() { m_pMdiClient->activateNextSubWindow(); }
void CMDIFrameWnd::MDIPrevious() { m_pMdiClient->activatePreviousSubWindow(); }

QRect CMDIFrameWnd::CascadeRect(int index, int count) const {
  QSize area = m_pMdiClient->viewport()->size();
  if (!m_pMdiClient->isVisible()) area = area.expandedTo(size() - QSize(0, 80));
  const int step = m_pMdiClient->style()->pixelMetric(QStyle::PM_TitleBarHeight) + 4;
  const int spread = std::max(0, std::min(count, 8) - 1) * step;
  const QSize windowSize(std::max(160, std::min(area.width() - spread, area.width() * 3 / 4)),
                         std::max(100, std::min(area.height() - spread, area.height() * 3 / 4)));
  const int offset = (index % 8) * step;
  return {QPoint(offset, offset), windowSize};
}

void CMDIFrameWnd::MDICascade() {
  // Windows overlap from the top left, each one a title bar lower, the active one on top.
  std::vector<QMdiSubWindow*> windows;
  for (QMdiSubWindow* w : m_pMdiClient->subWindowList(QMdiArea::StackingOrder)) {
    if (!w->isHidden() && !w->isMinimized()) windows.push_back(w);
  }
  const int count = static_cast<int>(windows.size());
  for (int i = 0; i < count; ++i) {
    if (windows[i]->isMaximized()) windows[i]->showNormal();
    windows[i]->setGeometry(CascadeRect(i, count));
  }
}

void CMDIFrameWnd::MDITileHorizontally() {
  // One above the other, each the full width of the client area.
  std::vector<QMdiSubWindow*> windows;
  for (QMdiSubWindow* w : m_pMdiClient->subWindowList(QMdiArea::StackingOrder)) {
    if (!w->isHidden() && !w->isMinimized()) windows.push_back(w);
  }
  if (windows.empty()) return;
  const QRect area = m_pMdiClient->viewport()->rect();
  const int height = area.height() / static_cast<int>(windows.size());
  int top = 0;
  for (QMdiSubWindow* w : windows) {
    if (w->isMaximized()) w->showNormal();
    w->setGeometry(0, top, area.width(), height);
    top += height;
  }
}

void CMDIFrameWnd::MDIIconArrange() {
  // Minimized windows in a row along the bottom of the client area.
  const QRect area = m_pMdiClient->viewport()->rect();
  int left = 0;
  for (QMdiSubWindow* w : m_pMdiClient->subWindowList(QMdiArea::CreationOrder)) {
    if (!w->isMinimized() || w->isHidden()) continue;
    const QSize size = w->size();
    w->move(left, area.height() - size.height());
    left += size.width();
  }
}

std::vector<CCmdTarget*> CMDIFrameWnd::GetCommandChain() const {
  std::vector<CCmdTarget*> chain;
  if (CMDIChildWnd* child = MDIGetActive()) {
    if (CView* view = child->GetActiveView()) {
      chain.push_back(view);
      if (CDocument* doc = view->GetDocument()) {
        chain.push_back(doc);
        if (CDocTemplate* docTemplate = doc->GetDocTemplate()) chain.push_back(docTemplate);
      }
    }
    chain.push_back(child);
    chain.push_back(&m_app);
  }
  chain.push_back(const_cast<CMDIFrameWnd*>(this));
  chain.push_back(&m_app);
  return chain;
}

bool CMDIFrameWnd::RouteCommand(unsigned id, CCmdUI* ui) const {
  for (CCmdTarget* target : GetCommandChain()) {
    if (target->OnCmdMsg(id, ui)) return true;
  }
  return false;
}

bool CMDIFrameWnd::IsCommandEnabled(unsigned id) const {
  CCmdUI ui(id);
  RouteCommand(id, &ui);
  return ui.IsEnabled();
}

bool CMDIFrameWnd::RunCommand(unsigned id) {
  if (!IsCommandEnabled(id)) return false;
  try {
    RouteCommand(id, nullptr);
  } catch (...) {
    // The program goes on; the command counts as handled.
    ReportEscapedFailure(std::current_exception(), /*inCommand=*/true);
  }
  m_app.RequestIdleUpdate();
  return true;
}

void CMDIFrameWnd::OnUpdateFrameTitle() {
  QString title = AppTitle();
  CMDIChildWnd* child = MDIGetActive();
  if (child && !child->isMaximized()) {
    if (CDocument* doc = child->GetActiveDocument()) title += QStringLiteral(" - ") + doc->GetTitle();
  }
  setWindowTitle(title);
}

void CMDIFrameWnd::OnIdleUpdate() { m_pBars->UpdateButtons(); }

void CMDIFrameWnd::OnChildDestroyed() {
  // The area names no window active after one is removed: the one on top takes over.
  const QList<QMdiSubWindow*> stack = m_pMdiClient->subWindowList(QMdiArea::StackingOrder);
  if (!stack.isEmpty() && !m_pMdiClient->currentSubWindow()) {
    m_pMdiClient->setActiveSubWindow(stack.last());
  }
  OnActiveChildChanged();
}

void CMDIFrameWnd::OnActiveChildChanged() {
  OnUpdateFrameTitle();
  m_app.RequestIdleUpdate();
}

bool CMDIFrameWnd::OnCmdMsg(unsigned id, CCmdUI* ui) {
  static const CommandMapEntry<CMDIFrameWnd> map[] = {
      {ids::ID_WINDOW_NEW, &CMDIFrameWnd::OnWindowNew, &CMDIFrameWnd::OnUpdateWindowCommand},
      {ids::ID_WINDOW_CASCADE, &CMDIFrameWnd::OnWindowCascade,
       &CMDIFrameWnd::OnUpdateWindowCommand},
      {ids::ID_WINDOW_TILE_HORZ, &CMDIFrameWnd::OnWindowTile,
       &CMDIFrameWnd::OnUpdateWindowCommand},
      {ids::ID_WINDOW_ARRANGE, &CMDIFrameWnd::OnWindowArrange,
       &CMDIFrameWnd::OnUpdateWindowCommand},
      {ids::ID_CONTEXT_HELP, &CMDIFrameWnd::OnContextHelp, &CMDIFrameWnd::OnUpdateContextHelp},
      {ids::ID_HELP_FINDER, &CMDIFrameWnd::OnHelpFinder, nullptr},
      {ids::ID_HELP, &CMDIFrameWnd::OnHelp, nullptr},
      {ids::ID_DEFAULT_HELP, &CMDIFrameWnd::OnHelpFinder, nullptr},
  };
  return DispatchCommandMap(this, map, id, ui);
}

void CMDIFrameWnd::OnWindowNew() {
  CMDIChildWnd* child = MDIGetActive();
  CDocument* doc = child ? child->GetActiveDocument() : nullptr;
  if (!doc || !doc->GetDocTemplate()) {
    AppMessageBox(ids::IDS_COMMAND_FAILURE);
    return;
  }
  doc->GetDocTemplate()->CreateNewFrame(doc);
}

void CMDIFrameWnd::OnWindowCascade() { MDICascade(); }
void CMDIFrameWnd::OnWindowTile() { MDITileHorizontally(); }
void CMDIFrameWnd::OnWindowArrange() { MDIIconArrange(); }

void CMDIFrameWnd::OnUpdateWindowCommand(CCmdUI* ui) { ui->Enable(MDIGetActive() != nullptr); }

void CMDIFrameWnd::OnContextHelp() {
  if (QWhatsThis::inWhatsThisMode()) {
    QWhatsThis::leaveWhatsThisMode();
    return;
  }
  QWhatsThis::enterWhatsThisMode();
  if (statusBar()) statusBar()->showMessage(LoadQString(ids::IDS_HELP_MODE_MESSAGE));
}

void CMDIFrameWnd::OnHelpFinder() { WinHelp(0); }

// F1 outside a menu: the topic of the window in front, a document window or the frame.
// (F1 on a highlighted menu item is taken by the menu, see CommandBars.)
void CMDIFrameWnd::OnHelp() {
  WinHelp(HID_BASE_RESOURCE + (MDIGetActive() ? kDocumentWindowHelpId : kFrameHelpId));
}

void CMDIFrameWnd::OnUpdateContextHelp(CCmdUI* ui) { ui->SetCheck(QWhatsThis::inWhatsThisMode()); }

bool CMDIFrameWnd::event(QEvent* event) {
  if (event->type() == QEvent::LeaveWhatsThisMode && statusBar()) statusBar()->clearMessage();
  return QMainWindow::event(event);
}

}  // namespace fw
