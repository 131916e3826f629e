#include "app/tolvane_app.h"

#include <QApplication>
#include <QFile>
#include <QMdiArea>
#include <QScreen>
#include <QStatusBar>
#include <QTimer>
#include <QToolBar>

#include "app/desktop_registration.h"
#include "app/main_frame.h"
#include "app/window_placement.h"
#include "app/window_rect_text.h"
#include "dialogs/version_dialog.h"
#include "document/clip_doc_template.h"
#include "framework/doc_manager.h"
#include "framework/doc_template.h"
#include "framework/mdi_child_wnd.h"
#include "platform/clipboard_port.h"
#include "platform/code_page.h"
#include "platform/profile_file.h"
#include "resources/command_ids.h"
#include "resources/program_tables.h"

namespace app {
namespace {

constexpr WindowRect kDefaultRect{10, 10, 500, 400};

// A rectangle the window can take: a positive size that Qt can hold, and coordinates
// that leave it reachable. Anything else in the settings counts as unreadable.
bool IsUsableRect(const WindowRect& r) {
  const long long width = static_cast<long long>(r.right) - r.left;
  const long long height = static_cast<long long>(r.bottom) - r.top;
  return width > 0 && height > 0 && width <= 32767 && height <= 32767 && r.left >= -32768 &&
         r.left <= 32767 && r.top >= -32768 && r.top <= 32767;
}

// The usable areas of the screens, the primary screen's first.
std::vector<WindowRect> ScreenAreas() {
  std::vector<WindowRect> areas;
  for (const QScreen* screen : QGuiApplication::screens()) {
    const QRect a = screen->availableGeometry();
    areas.push_back({a.left(), a.top(), a.left() + a.width(), a.top() + a.height()});
  }
  return areas;
}

}  // namespace

CTolvaneApp* TolvaneApp() { return dynamic_cast<CTolvaneApp*>(fw::CWinApp::Get()); }

CTolvaneApp::CTolvaneApp(std::unique_ptr<platform::ClipboardPort> clipboard,
                         QStringList arguments)
    : fw::CWinApp(QStringLiteral("tolvane"), std::move(clipboard)),
      m_arguments(std::move(arguments)) {
  fw::SetUiTables(res::ProgramUiTables());
}

CTolvaneApp::~CTolvaneApp() {
  // The documents and their windows go before the main window that holds them.
  if (m_pFrame && m_pFrame->isVisible()) m_pFrame->close();
  DocManager().CloseAllDocuments();
  if (auto* clipTemplate = dynamic_cast<doc::CClipDocTemplate*>(GetDocTemplate())) {
    clipTemplate->SetCountSink(nullptr);
  }
  m_pMainWnd = nullptr;
  m_pFrame.reset();
}

CMainFrame* CTolvaneApp::MainFrame() const { return m_pFrame.get(); }

void CTolvaneApp::ApplyCodePageSetting() {
  const std::string name = Profile().GetString("Settings", "CodePage", "");
  if (const auto codePage = platform::ParseCodePageName(name)) {
    platform::SetSystemCodePage(*codePage);
  }
}

bool CTolvaneApp::InitInstance() {
  ApplyCodePageSetting();
  QTimer::singleShot(0, this, [] { RegisterWithDesktop(); });  // once the window is up
  auto docTemplate = std::make_unique<doc::CClipDocTemplate>(m_capture, m_strNewDocTitle);
  doc::CClipDocTemplate* clipTemplate = docTemplate.get();
  AddDocTemplate(std::move(docTemplate));

  m_pFrame = std::make_unique<CMainFrame>(m_capture);
  m_pMainWnd = m_pFrame.get();
  clipTemplate->SetCountSink(m_pFrame.get());
  if (!m_pFrame->Create()) {
    m_pMainWnd = nullptr;
    m_pFrame.reset();
    return false;
  }
  LoadFrameSettings();

  // The first argument that is not a switch names a file. Opening files comes with the
  // file commands; until then a named file starts a new document like no file does.
  if (!DocManager().OpenNewDocument()) return false;
  OpenStartupFile();

  RestoreWindowPlacement();
  ShowMainWindow();
  // Cascaded once the client area has its size.
  m_pFrame->MDICascade();
  return true;
}

void CTolvaneApp::LoadFrameSettings() {
  platform::ProfileFile& profile = Profile();
  CMainFrame& frame = *m_pFrame;
  const char* section = CMainFrame::kSection;
  frame.ToolBar()->setVisible(profile.GetInt(section, CMainFrame::kTool, 1) != 0);
  frame.StatusBar()->setVisible(profile.GetInt(section, CMainFrame::kStatus, 1) != 0);
  frame.m_bTopMost = profile.GetInt(section, CMainFrame::kTopMost, 0) != 0;
  if (frame.m_bTopMost) frame.ApplyTopMost();
  frame.m_strStartupFile = profile.GetString(section, CMainFrame::kFile, "");
  frame.m_bAutoPaste = profile.GetInt(section, CMainFrame::kAuto, 1) != 0;
}

void CTolvaneApp::OpenStartupFile() {
  if (m_pFrame->m_strStartupFile.empty()) return;
  const QString path = QFile::decodeName(QByteArray::fromStdString(m_pFrame->m_strStartupFile));
  fw::CMDIChildWnd* active = m_pFrame->MDIGetActive();
  // A failure has been reported by the open flow; start-up goes on without the file.
  DocManager().OpenDocumentFile(path);
  if (active && m_pFrame->MDIGetActive() != active) m_pFrame->MDIActivate(active);
}

void CTolvaneApp::RestoreWindowPlacement() {
  CMainFrame& frame = *m_pFrame;
  if (!frame.m_bPlacementPending) return;
  frame.m_bPlacementPending = 0;

  platform::ProfileFile& profile = Profile();
  const char* section = CMainFrame::kSection;
  WindowRect rect = kDefaultRect;
  const std::string text = profile.GetString(section, CMainFrame::kRect, "");
  if (!text.empty()) {
    const std::optional<WindowRect> saved = ParseRectText(text);
    if (saved && IsUsableRect(*saved)) rect = *saved;
  }
  rect = FitRectToDesktop(rect, AvailableAreaFor(rect, ScreenAreas()));
  frame.m_bStartMinimized = profile.GetInt(section, CMainFrame::kIcon, 0) != 0;
  const bool minimized =
      frame.m_bStartMinimized || profile.GetInt(section, CMainFrame::kMin, 0) != 0;
  const bool maximized = profile.GetInt(section, CMainFrame::kMax, 0) != 0;

  if (minimized) {
    m_nCmdShow = fw::SW_SHOWMINNOACTIVE;
  } else {
    m_nCmdShow = maximized ? fw::SW_SHOWMAXIMIZED : fw::SW_SHOWNORMAL;
  }
  m_nPlacementFlag = maximized ? WPF_RESTORETOMAXIMIZED : 0;
  frame.setGeometry(rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top);
}

void CTolvaneApp::ShowMainWindow() {
  CMainFrame& frame = *m_pFrame;
  switch (m_nCmdShow) {
    case fw::SW_SHOWMAXIMIZED:
      frame.showMaximized();
      break;
    case fw::SW_SHOWMINNOACTIVE: {
      frame.setAttribute(Qt::WA_ShowWithoutActivating);
      Qt::WindowStates state = Qt::WindowMinimized;
      if (m_nPlacementFlag == WPF_RESTORETOMAXIMIZED) state |= Qt::WindowMaximized;
      frame.setWindowState(state);
      frame.show();
      // Only this first showing goes without activation; later ones activate as usual.
      frame.setAttribute(Qt::WA_ShowWithoutActivating, false);
      break;
    }
    default:
      frame.show();
      break;
  }
  frame.repaint();
}

bool CTolvaneApp::OnCmdMsg(unsigned id, fw::CCmdUI* ui) {
  static const fw::CommandMapEntry<CTolvaneApp> map[] = {
      {res::ID_APP_ABOUT, &CTolvaneApp::OnAppAbout, nullptr},
  };
  return fw::DispatchCommandMap(this, map, id, ui) || fw::CWinApp::OnCmdMsg(id, ui);
}

void CTolvaneApp::OnAppAbout() {
  dialogs::CVersionDialog dialog(m_pFrame.get());
  dialog.exec();
}

}  // namespace app
