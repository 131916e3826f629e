#include "app/main_frame.h"

#include <QCloseEvent>
#include <QFile>
#include <QLabel>
#include <QStatusBar>
#include <QToolBar>

#include "app/frame_placement.h"
#include "app/window_rect_text.h"
#include "dialogs/startup_file_dialog.h"
#include "document/tolvane_doc.h"
#include "framework/command_bars.h"
#include "framework/doc_manager.h"
#include "framework/doc_template.h"
#include "framework/document.h"
#include "framework/elided_label.h"
#include "framework/eliding_status_bar.h"
#include "framework/mdi_child_wnd.h"
#include "framework/view.h"
#include "framework/win_app.h"
#include "platform/clipboard_port.h"
#include "platform/lock_keys.h"
#include "platform/profile_file.h"
#include "resources/command_ids.h"
#include "resources/icons.h"
#include "resources/toolbar.h"
#include "resources/messages.h"
#include "resources/string_table.h"

namespace app {
namespace {

using platform::MbButtons;
using platform::MbIcon;

constexpr unsigned kIndicatorIds[4] = {res::ID_INDICATOR_KANA, res::ID_INDICATOR_CAPS,
                                       res::ID_INDICATOR_NUM, res::ID_INDICATOR_SCRL};

QLabel* MakePane(unsigned id, QWidget* parent) {
  auto* pane = new QLabel(parent);
  const QString text = fw::LoadQString(id);
  // Sized to its resource text, as the panes of the original bar were.
  pane->setMinimumWidth(pane->fontMetrics().horizontalAdvance(text) + 8);
  pane->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
  return pane;
}

}  // namespace

CMainFrame::CMainFrame(doc::CaptureState& capture)
    : m_capture(capture),
      m_bAutoPaste(capture.m_bAutoPaste),
      m_bSkipNextCapture(capture.m_bSkipNextCapture),
      m_strClipText(capture.m_strClipText),
      m_pPlacement(new FramePlacement(this)) {}

CMainFrame::~CMainFrame() { LeaveClipboardChain(); }

bool CMainFrame::Create() {
  setWindowTitle(fw::AppTitle());
  setWindowIcon(QIcon(QPixmap(res::AppIconXpm32())));

  m_wndToolBar = new QToolBar(this);
  m_wndToolBar->setObjectName(QStringLiteral("ToolBar59392"));
  m_wndToolBar->setIconSize(QSize(res::kButtonWidth, res::kButtonHeight));
  m_wndToolBar->setAllowedAreas(Qt::AllToolBarAreas);
  m_wndToolBar->setMovable(true);
  m_wndToolBar->setFloatable(true);
  m_pBars->FillToolBar(m_wndToolBar);
  addToolBar(Qt::TopToolBarArea, m_wndToolBar);

  CreateStatusBar();
  m_pBars->SetMenu(res::IDR_MAINFRAME);
  m_pBars->InstallAccelerators();

  JoinClipboardChain();
  return true;
}

void CMainFrame::CreateStatusBar() {
  m_wndStatusBar = new fw::ElidingStatusBar(this);
  m_wndStatusBar->setObjectName(QStringLiteral("StatusBar59393"));
  // The message pane: prompts show as temporary messages, which hide this label.
  m_pIdlePane = new fw::ElidedLabel(fw::LoadQString(res::IDS_IDLE_MESSAGE), m_wndStatusBar);
  // The message pane takes what width is left and never widens the window.
  m_pIdlePane->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
  m_wndStatusBar->addWidget(m_pIdlePane, 1);
  m_pItemCountPane = MakePane(res::ID_INDICATOR_ITEMS, m_wndStatusBar);
  m_pItemCountPane->setText(fw::LoadQString(res::ID_INDICATOR_ITEMS));
  m_wndStatusBar->addPermanentWidget(m_pItemCountPane);
  for (int i = 0; i < 4; ++i) {
    m_pIndicatorPanes[i] = MakePane(kIndicatorIds[i], m_wndStatusBar);
    m_wndStatusBar->addPermanentWidget(m_pIndicatorPanes[i]);
  }
  setStatusBar(m_wndStatusBar);
}

QLabel* CMainFrame::IndicatorPane(unsigned id) const {
  for (int i = 0; i < 4; ++i) {
    if (kIndicatorIds[i] == id) return m_pIndicatorPanes[i];
  }
  return nullptr;
}

void CMainFrame::UpdateIndicators() {
  const platform::LockKeyState keys = platform::QueryLockKeys();
  const bool on[4] = {keys.kana, keys.caps, keys.num, keys.scroll};
  for (int i = 0; i < 4; ++i) {
    const QString text = on[i] ? fw::LoadQString(kIndicatorIds[i]) : QString();
    if (m_pIndicatorPanes[i]->text() != text) m_pIndicatorPanes[i]->setText(text);
  }
}

void CMainFrame::OnIdleUpdate() {
  fw::CMDIFrameWnd::OnIdleUpdate();
  UpdateIndicators();
}

void CMainFrame::OnActiveChildChanged() {
  m_pBars->SetMenu(MDIGetActive() ? res::IDR_TLVNTYPE : res::IDR_MAINFRAME);
  fw::CMDIFrameWnd::OnActiveChildChanged();
}

void CMainFrame::UpdateItemCount(unsigned count) {
  const QString text = QString::asprintf(res::kItemCountFormat, count);
  // A capture that moves an item keeps the count: nothing to draw, let alone at once.
  if (m_pItemCountPane->text() == text) return;
  m_pItemCountPane->setText(text);
  m_pItemCountPane->repaint();
}

void CMainFrame::SaveSettings() {
  platform::ProfileFile& profile = fw::CWinApp::Get()->Profile();
  const Qt::WindowStates state = windowState();
  int min = 0;
  int max = 0;
  if (state & Qt::WindowMinimized) {
    min = 1;
    max = (state & Qt::WindowMaximized) ? 1 : 0;
  } else if (state & (Qt::WindowMaximized | Qt::WindowFullScreen)) {
    max = 1;
  }
  // "Rect" is the outer rectangle, frame and title bar included.
  const QRect normal = m_pPlacement->NormalOuterRect();
  const WindowRect rect{normal.x(), normal.y(), normal.x() + normal.width(),
                        normal.y() + normal.height()};

  // A failed write is ignored: the program ends all the same.
  profile.WriteString(kSection, kRect, FormatRectText(rect));
  profile.WriteInt(kSection, kMin, min);
  profile.WriteInt(kSection, kMax, max);
  // A floating tool bar is not part of the frame: its visibility is left as it was.
  if (!m_wndToolBar->isFloating()) {
    profile.WriteInt(kSection, kTool, m_wndToolBar->isVisibleTo(this) ? 1 : 0);
  }
  profile.WriteInt(kSection, kStatus, m_wndStatusBar->isVisibleTo(this) ? 1 : 0);
  profile.WriteInt(kSection, kIcon, m_bStartMinimized);
  profile.WriteString(kSection, kFile, m_strStartupFile);
  profile.WriteInt(kSection, kTopMost, m_bTopMost);
  profile.WriteInt(kSection, kAuto, m_bAutoPaste);

  LeaveClipboardChain();
}

void CMainFrame::closeEvent(QCloseEvent* event) {
  if (m_bClosing) {
    event->accept();
    return;
  }
  m_bClosing = true;
  // Documents close without a question; their changes are dropped.
  fw::CWinApp::Get()->DocManager().CloseAllDocuments();
  SaveSettings();
  event->accept();
}

void CMainFrame::ApplyTopMost() {
  const bool wasVisible = isVisible();
  const Qt::WindowStates state = windowState();
  setWindowFlag(Qt::WindowStaysOnTopHint, m_bTopMost != 0);
  // Changing the flags hides a shown window: show it again in the state it had.
  if (wasVisible) {
    setWindowState(state);
    show();
  }
}

// --- Clipboard watcher ---------------------------------------------------------------

void CMainFrame::JoinClipboardChain() {
  if (m_bWatchingClipboard) return;
  platform::ClipboardPort& clipboard = fw::CWinApp::Get()->Clipboard();
  connect(&clipboard, &platform::ClipboardPort::Changed, this, &CMainFrame::OnDrawClipboard);
  m_bWatchingClipboard = true;
  // Joining is followed by one notice: the text on the clipboard at start-up. A port that
  // reads it off the window's thread gives it later, as its first change notice.
  OnDrawClipboard();
  m_capture.m_bStartupReadPending = clipboard.StartupReadPending();
}

void CMainFrame::LeaveClipboardChain() {
  if (!m_bWatchingClipboard) return;
  m_bWatchingClipboard = false;
  if (fw::CWinApp* app = fw::CWinApp::Get()) {
    disconnect(&app->Clipboard(), &platform::ClipboardPort::Changed, this,
               &CMainFrame::OnDrawClipboard);
  }
}

void CMainFrame::OnDrawClipboard() {
  // The active list's views refill for the new item and every view for its marker: each
  // view does that work once, at the end.
  const fw::ViewUpdateBatch batch;
  CaptureClipboardText();
  platform::ClipboardPort& clipboard = fw::CWinApp::Get()->Clipboard();
  const bool startupRead = m_capture.m_bStartupReadPending && clipboard.IsStartupReadNotice();
  // Also ends the wait when the read at start was dropped as out of date.
  if (!clipboard.StartupReadPending()) m_capture.m_bStartupReadPending = false;

  fw::CMDIChildWnd* child = MDIGetActive();
  if (child && startupRead) {
    // The clipboard at start goes to the lists made new before it was read, not into a
    // file opened at start.
    for (fw::CDocument* document : fw::CWinApp::Get()->DocManager().GetDocuments()) {
      if (auto* list = dynamic_cast<doc::CTolvaneDoc*>(document)) list->AddStartupText();
    }
  } else if (child && m_bAutoPaste) {
    if (m_bSkipNextCapture) {
      m_bSkipNextCapture = 0;
    } else if (auto* doc = dynamic_cast<doc::CTolvaneDoc*>(child->GetActiveDocument())) {
      doc->AddClipboardText();
    }
  }
  // A large text's copy for the list that no list took is not kept.
  std::string().swap(m_capture.m_strItemCopy);
  if (!child) return;
  // Listeners outside the window learn of the text first; redrawing waits for the batch.
  emit ClipboardHandled();
  // Every view redraws its marker for the new text and keeps its selection.
  for (fw::CDocument* document : fw::CWinApp::Get()->DocManager().GetDocuments()) {
    const std::vector<fw::CView*> views = document->GetViews();
    for (fw::CView* view : views) view->OnInitialUpdate();
  }
  fw::CWinApp::Get()->RequestIdleUpdate();
}

void CMainFrame::CaptureClipboardText() {
  std::string text;
  platform::ClipboardPort& clipboard = fw::CWinApp::Get()->Clipboard();
  // Swapped and emptied with fresh strings, not assigned or cleared: a short text put
  // into a string that held a long one keeps the long one's memory.
  std::string().swap(m_capture.m_strItemCopy);
  switch (clipboard.ReadText(text)) {
    case platform::ClipboardStatus::Ok:
      m_strClipText.swap(text);
      clipboard.TakeSpareCopy(m_capture.m_strItemCopy);
      break;
    case platform::ClipboardStatus::NoText:
      std::string().swap(m_strClipText);
      break;
    case platform::ClipboardStatus::CannotOpen:
      doc::ShowCaptureMessage(m_capture, res::kMsgClipboardInUse);
      break;
    case platform::ClipboardStatus::NoMemory:
      std::string().swap(m_strClipText);
      doc::ShowCaptureMessage(m_capture, res::kMsgNoMemoryClipText);
      break;
  }
}

// --- Commands -----------------------------------------------------------------------

bool CMainFrame::OnCmdMsg(unsigned id, fw::CCmdUI* ui) {
  static const fw::CommandMapEntry<CMainFrame> map[] = {
      {res::ID_VIEW_START_MINIMIZED, &CMainFrame::OnViewStartMinimized,
       &CMainFrame::OnUpdateViewStartMinimized},
      {res::ID_VIEW_TOPMOST, &CMainFrame::OnViewTopMost, &CMainFrame::OnUpdateViewTopMost},
      {res::ID_VIEW_TOOLBAR, &CMainFrame::OnViewToolBar, &CMainFrame::OnUpdateViewToolBar},
      {res::ID_VIEW_STATUS_BAR, &CMainFrame::OnViewStatusBar,
       &CMainFrame::OnUpdateViewStatusBar},
      {res::ID_CLIP_AUTO_PASTE, &CMainFrame::OnClipAutoPaste,
       &CMainFrame::OnUpdateClipAutoPaste},
      {res::ID_CLIP_CLEAR, &CMainFrame::OnClipClear, &CMainFrame::OnUpdateClipClear},
      {res::ID_WINDOW_CLOSE_ALL, &CMainFrame::OnCloseAll, nullptr},
      {res::ID_VIEW_STARTUP_FILE, &CMainFrame::OnViewStartupFile, nullptr},
  };
  return fw::DispatchCommandMap(this, map, id, ui) || fw::CMDIFrameWnd::OnCmdMsg(id, ui);
}

void CMainFrame::OnViewStartMinimized() { m_bStartMinimized = m_bStartMinimized ? 0 : 1; }

void CMainFrame::OnUpdateViewStartMinimized(fw::CCmdUI* ui) { ui->SetCheck(m_bStartMinimized); }

void CMainFrame::OnViewTopMost() {
  m_bTopMost = m_bTopMost ? 0 : 1;
  ApplyTopMost();
}

void CMainFrame::OnUpdateViewTopMost(fw::CCmdUI* ui) { ui->SetCheck(m_bTopMost); }

void CMainFrame::OnViewToolBar() { m_wndToolBar->setVisible(!m_wndToolBar->isVisibleTo(this)); }

void CMainFrame::OnUpdateViewToolBar(fw::CCmdUI* ui) {
  ui->SetCheck(m_wndToolBar->isVisibleTo(this));
}

void CMainFrame::OnViewStatusBar() {
  m_wndStatusBar->setVisible(!m_wndStatusBar->isVisibleTo(this));
}

void CMainFrame::OnUpdateViewStatusBar(fw::CCmdUI* ui) {
  ui->SetCheck(m_wndStatusBar->isVisibleTo(this));
}

void CMainFrame::OnClipAutoPaste() { m_bAutoPaste = m_bAutoPaste ? 0 : 1; }

void CMainFrame::OnUpdateClipAutoPaste(fw::CCmdUI* ui) { ui->SetCheck(m_bAutoPaste); }

void CMainFrame::OnClipClear() {
  if (!fw::CWinApp::Get()->Clipboard().Clear()) {
    fw::AppMessageBox(QString::fromUtf8(res::kMsgClipboardOpenFailed), MbIcon::Exclamation);
  }
}

void CMainFrame::OnUpdateClipClear(fw::CCmdUI* ui) {
  ui->Enable(fw::CWinApp::Get()->Clipboard().HasAnyFormat());
}

// The path reaches the settings file with the other settings, at exit.
void CMainFrame::OnViewStartupFile() {
  dialogs::CStartupFileDialog dialog(this);
  dialog.m_strPath = QFile::decodeName(QByteArray::fromStdString(m_strStartupFile));
  if (dialog.DoModal() != static_cast<int>(res::IDOK)) return;
  m_strStartupFile = QFile::encodeName(dialog.m_strPath).toStdString();
}

void CMainFrame::OnCloseAll() {
  fw::CMDIChildWnd* remembered = nullptr;
  for (;;) {
    fw::CMDIChildWnd* child = MDIGetActive();
    if (!child || child == remembered) return;
    fw::CDocument* doc = child->GetActiveDocument();
    if (!doc || doc->SaveModified()) {
      if (doc && doc->GetDocTemplate()) {
        doc->GetDocTemplate()->CloseDocument(doc);
      } else {
        child->DestroyWindow();
      }
      continue;
    }
    if (!remembered) remembered = child;
    MDINext();
  }
}

}  // namespace app
