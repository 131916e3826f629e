#include "app/main_frame.h"

#include <QCloseEvent>
#include <QFile>
#include <QLabel>
#include <QStatusBar>
#include <QToolBar>

#include "app/frame_placement.h"
#include "app/window_rect_text.h"
#include "dialogs/startup_file_dialog.h"
#include "document/clipboard_capture.h"
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

CMainFrame::CMainFrame(fw::CWinApp& app, doc::ClipboardCapture& capture)
    : fw::CMDIFrameWnd(app), m_capture(capture), m_pPlacement(new FramePlacement(this)) {
  connect(&m_capture, &doc::ClipboardCapture::Handled, this, &CMainFrame::ClipboardHandled);
}

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
  // A capture or another document change leaves the lock keys as they were.
  if (GetApp().InputSinceIdleUpdate()) UpdateIndicators();
}

void CMainFrame::OnActiveChildChanged() {
  m_pBars->SetMenu(MDIGetActive() ? res::IDR_TLVNTYPE : res::IDR_MAINFRAME);
  fw::CMDIFrameWnd::OnActiveChildChanged();
}

void CMainFrame::UpdateItemCount(unsigned count) {
  // A capture that moves an item keeps the count: nothing to format, let alone to draw.
  if (count == m_nShownCount) return;
  m_nShownCount = count;
  const QString text = QString::asprintf(res::kItemCountFormat, count);
  // Once shown, the pane keeps the size the bar gave it: a new text then asks for no new
  // layout, after which the bar would redraw itself whole, at most copies. A count whose
  // text needs more room (a list loaded from a file) widens it; the text is measured only
  // when the count gets another number of digits, as shaping it costs more than the rest.
  if (m_pItemCountPane->isVisible()) {
    const int digits = static_cast<int>(QString::number(count).size());
    if (digits != m_nCountPaneDigits) {
      m_nCountPaneDigits = digits;
      m_nCountPaneWidth = m_pItemCountPane->fontMetrics().horizontalAdvance(text);
    }
    const QSize size(std::max(m_pItemCountPane->width(), m_nCountPaneWidth),
                     m_pItemCountPane->height());
    if (m_pItemCountPane->minimumSize() != size || m_pItemCountPane->maximumSize() != size) {
      m_pItemCountPane->setFixedSize(size);
    }
  }
  m_pItemCountPane->setText(text);
  // Within a batch of view updates (a capture) the pane is drawn with the lists, in the
  // one paint that ends the batch; otherwise at once.
  if (fw::ViewUpdateBatch::IsActive()) {
    m_pItemCountPane->update();
  } else {
    m_pItemCountPane->repaint();
  }
}

void CMainFrame::SaveSettings() {
  FrameSettings settings = m_settings;
  const Qt::WindowStates state = windowState();
  settings.m_bMinimized = (state & Qt::WindowMinimized) != 0;
  settings.m_bMaximized = settings.m_bMinimized
                              ? (state & Qt::WindowMaximized) != 0
                              : (state & (Qt::WindowMaximized | Qt::WindowFullScreen)) != 0;
  // "Rect" is the outer rectangle, frame and title bar included.
  const QRect normal = m_pPlacement->NormalOuterRect();
  settings.m_strRect = FormatRectText(
      {normal.x(), normal.y(), normal.x() + normal.width(), normal.y() + normal.height()});
  // A floating tool bar is not part of the frame: its visibility is left as it was.
  settings.m_bToolBar = m_wndToolBar->isFloating()
                            ? std::nullopt
                            : std::optional<bool>(m_wndToolBar->isVisibleTo(this));
  settings.m_bStatusBar = m_wndStatusBar->isVisibleTo(this);
  settings.m_bAutoPaste = m_capture.AutoPaste();
  // A failed write is ignored: the program ends all the same.
  settings.Save(GetApp().Profile());

  LeaveClipboardChain();
}

void CMainFrame::closeEvent(QCloseEvent* event) {
  if (m_bClosing) {
    event->accept();
    return;
  }
  m_bClosing = true;
  // Documents close without a question; their changes are dropped.
  GetApp().DocManager().CloseAllDocuments();
  SaveSettings();
  event->accept();
}

void CMainFrame::ApplyTopMost() {
  const bool wasVisible = isVisible();
  const Qt::WindowStates state = windowState();
  setWindowFlag(Qt::WindowStaysOnTopHint, m_settings.m_bTopMost);
  // Changing the flags hides a shown window: show it again in the state it had.
  if (wasVisible) {
    setWindowState(state);
    show();
  }
}

// --- Clipboard watcher ---------------------------------------------------------------

void CMainFrame::JoinClipboardChain() {
  m_capture.Watch(*this, GetApp().DocManager());
}

void CMainFrame::LeaveClipboardChain() { m_capture.Unwatch(); }

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

void CMainFrame::OnViewStartMinimized() {
  m_settings.m_bStartMinimized = !m_settings.m_bStartMinimized;
}

void CMainFrame::OnUpdateViewStartMinimized(fw::CCmdUI* ui) {
  ui->SetCheck(m_settings.m_bStartMinimized);
}

void CMainFrame::OnViewTopMost() {
  m_settings.m_bTopMost = !m_settings.m_bTopMost;
  ApplyTopMost();
}

void CMainFrame::OnUpdateViewTopMost(fw::CCmdUI* ui) { ui->SetCheck(m_settings.m_bTopMost); }

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

void CMainFrame::OnClipAutoPaste() { m_capture.SetAutoPaste(!m_capture.AutoPaste()); }

void CMainFrame::OnUpdateClipAutoPaste(fw::CCmdUI* ui) { ui->SetCheck(m_capture.AutoPaste()); }

void CMainFrame::OnClipClear() {
  if (!m_capture.Clipboard().Clear()) {
    fw::AppMessageBox(QString::fromUtf8(res::kMsgClipboardOpenFailed), MbIcon::Exclamation);
  }
}

void CMainFrame::OnUpdateClipClear(fw::CCmdUI* ui) {
  ui->Enable(m_capture.Clipboard().HasAnyFormat());
}

// The path reaches the settings file with the other settings, at exit.
void CMainFrame::OnViewStartupFile() {
  dialogs::CStartupFileDialog dialog(this);
  dialog.m_strPath = QFile::decodeName(QByteArray::fromStdString(m_settings.m_strStartupFile));
  if (dialog.DoModal() != static_cast<int>(res::IDOK)) return;
  m_settings.m_strStartupFile = QFile::encodeName(dialog.m_strPath).toStdString();
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
