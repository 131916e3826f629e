#include "app/tolvane_app.h"

#include <QApplication>
#include <QFileInfo>
#include <QFile>
#include <QMdiArea>
#include <QScreen>
#include <QStyle>
#include <QStatusBar>
#include <QToolBar>

#include "app/frame_placement.h"
#include "app/frame_settings.h"
#include "app/desktop_registration.h"
#include "app/main_frame.h"
#include "app/window_placement.h"
#include "app/window_rect_text.h"
#include "dialogs/version_dialog.h"
#include "document/child_frame.h"
#include "document/clip_doc_template.h"
#include "document/journal_store.h"
#include "document/text_file_codec.h"
#include "document/tolvane_doc.h"
#include "framework/archive.h"
#include "framework/command_line_info.h"
#include "framework/doc_manager.h"
#include "framework/document.h"
#include "framework/file_loader.h"
#include "framework/mdi_child_wnd.h"
#include "framework/doc_template.h"
#include "platform/atomic_file.h"
#include "platform/clipboard_port.h"
#include "platform/code_page.h"
#include "platform/lean_style.h"
#include "platform/file_dialog.h"
#include "platform/instance_request.h"
#include "platform/journal_file.h"
#include "platform/profile_file.h"
#include "resources/command_ids.h"
#include "resources/messages.h"
#include "resources/program_tables.h"

namespace app {
namespace {

constexpr WindowRect kDefaultRect{10, 10, 500, 400};
// Registration takes tens of milliseconds; the end of the program waits no longer than this.
constexpr auto kRegistrationWaitAtExit = std::chrono::milliseconds(500);

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

std::vector<std::string> Utf8Arguments(const QStringList& arguments) {
  std::vector<std::string> result;
  for (const QString& argument : arguments) result.push_back(argument.toStdString());
  return result;
}

// The names of an open request, first the one the command line opens.
std::vector<std::string> NamedFiles(const fw::CCommandLineInfo& info) {
  std::vector<std::string> names;
  if (!info.m_strFileName.empty()) names.push_back(info.m_strFileName);
  names.insert(names.end(), info.m_otherFileNames.begin(), info.m_otherFileNames.end());
  return names;
}

}  // namespace

CTolvaneApp::CTolvaneApp(std::unique_ptr<platform::ClipboardPort> clipboard,
                         QStringList arguments)
    : fw::CWinApp(QStringLiteral("tolvane"), std::move(clipboard)),
      m_arguments(std::move(arguments)),
      m_capture(Clipboard()) {
  fw::SetUiTables(res::ProgramUiTables());
}

CTolvaneApp::~CTolvaneApp() {
  // A registration still writing (a slow file system) is left to end with the process.
  m_registration.WaitForEnd(kRegistrationWaitAtExit);
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
  LoadStdProfileSettings();
  auto docTemplate = std::make_unique<doc::CClipDocTemplate>(m_capture, m_strNewDocTitle);
  doc::CClipDocTemplate* clipTemplate = docTemplate.get();
  AddDocTemplate(std::move(docTemplate));
  m_pJournals = std::make_unique<doc::JournalStore>(platform::JournalFolder());
  clipTemplate->SetJournalStore(m_pJournals.get());

  m_pFrame = std::make_unique<CMainFrame>(*this, m_capture);
  m_pMainWnd = m_pFrame.get();
  // The bars follow the new clipboard (Paste, Clear clipboard) when the program idles.
  connect(&m_capture, &doc::ClipboardCapture::Handled, this, &CTolvaneApp::RequestIdleUpdate);
  clipTemplate->SetCountSink(m_pFrame.get());
  if (!m_pFrame->Create()) {
    m_pMainWnd = nullptr;
    m_pFrame.reset();
    return false;
  }
  LoadFrameSettings();
  m_pFrame->setAcceptDrops(true);
  DocManager().AttachRecentFileMenu(*m_pFrame->GetCommandBars());

  const fw::CCommandLineInfo info = fw::ParseCommandLine(Utf8Arguments(m_arguments));
  // Before the usual first list, which stays the active one; not for a start that ends
  // without a window, whose end would close the lists and with them their journals.
  using Info = fw::CCommandLineInfo;
  const bool staysRunning = info.m_nShellCommand == Info::FileNew ||
                            info.m_nShellCommand == Info::FileOpen ||
                            info.m_nShellCommand == Info::FileDDE;
  const int recovered = staysRunning ? RecoverLists() : 0;
  // Started without files, the start-up file takes the place of the new list: it is the
  // list in front, the one that captures. Files named on the command line were asked for
  // just now: they stay in front and the start-up file opens behind them.
  const bool startupFileInFront = info.m_nShellCommand == fw::CCommandLineInfo::FileNew;
  if (!startupFileInFront || !OpenStartupFile(/*inFront=*/true)) {
    if (!ProcessShellCommand(info)) {
      // A file that could not be opened still leaves the user a window with a new list.
      if (info.m_nShellCommand != fw::CCommandLineInfo::FileOpen) return false;
      if (!DocManager().OpenNewDocument()) return false;
    }
    if (!startupFileInFront) OpenStartupFile(/*inFront=*/false);
  }

  RestoreWindowPlacement();
  // A read of the clipboard at start that is in already is taken before the window shows,
  // so that the first list is drawn with it; a slower one comes when it comes.
  QCoreApplication::sendPostedEvents(&Clipboard(), QEvent::MetaCall);
  CMainFrame* frame = m_pFrame.get();
  // A maximized window gets its size from the platform after it is shown: the document
  // windows are cascaded again once the client area has that size.
  if (m_nPlacementFlag == WPF_RESTORETOMAXIMIZED) {
    frame->Placement().RunWhenMaximized([frame] { frame->MDICascade(); });
  }
  ShowMainWindow();
  // Cascaded once the client area has its size.
  frame->MDICascade();
  // What the status bar says once at start: the lists that came back, and where copies
  // are seen only while the window is active. Both, one after the other, when both apply.
  QString startMessage;
  if (recovered > 0) {
    startMessage = QString::fromUtf8(res::kListsRecoveredFormat)
                       .replace(QLatin1String("%1"), QString::number(recovered));
  }
  if (Clipboard().SeesCopiesOnlyWithFocus()) {
    startMessage += QString::fromUtf8(res::kMsgCopiesSeenOnlyWithFocus);
  }
  if (!startMessage.isEmpty()) {
    frame->statusBar()->showMessage(startMessage);
  }
  // Once the window is up, and only for a run that goes on: /Unregister registers nothing.
  if (m_bRegisterWithDesktop) m_registration.Start();
  return true;
}

int CTolvaneApp::RecoverLists() {
  doc::LeftJournals left = m_pJournals->TakeLeftJournals();
  for (const std::string& path : left.unreadable) {
    fw::AppMessageBox(QString::fromUtf8(res::kMsgJournalUnreadable)
                          .replace(QLatin1String("%1"), QString::fromStdString(path)),
                      platform::MbIcon::Exclamation);
  }
  int recovered = 0;
  for (auto& list : left.lists) {
    const fw::CDocument* document =
        GetDocTemplate()->OpenDocumentWith([&list](fw::CDocument& opened) {
          return static_cast<doc::CTolvaneDoc&>(opened).RestoreFromJournal(*list);
        });
    if (document) ++recovered;
  }
  return recovered;
}

void CTolvaneApp::LoadFrameSettings() {
  CMainFrame& frame = *m_pFrame;
  FrameSettings& settings = frame.Settings();
  settings.Load(Profile(), FrameSettings::Step::BeforeCommandLine);
  frame.ToolBar()->setVisible(settings.m_bToolBar.value_or(true));
  frame.StatusBar()->setVisible(settings.m_bStatusBar);
  if (settings.m_bTopMost) frame.ApplyTopMost();
  m_capture.SetAutoPaste(settings.m_bAutoPaste);
}

bool CTolvaneApp::OpenStartupFile(bool inFront) {
  const std::string& file = m_pFrame->Settings().m_strStartupFile;
  if (file.empty()) return false;
  const QString path = QFile::decodeName(QByteArray::fromStdString(file));
  fw::CMDIChildWnd* active = m_pFrame->MDIGetActive();
  // A failure has been reported by the open flow; start-up goes on without the file.
  const bool opened = DocManager().OpenDocumentFile(path) != nullptr;
  platform::RemoveStaleTempFiles(file);
  if (!inFront && active && m_pFrame->MDIGetActive() != active) m_pFrame->MDIActivate(active);
  return opened;
}

void CTolvaneApp::RestoreWindowPlacement() {
  CMainFrame& frame = *m_pFrame;
  if (!frame.m_bPlacementPending) return;
  frame.m_bPlacementPending = false;

  FrameSettings& settings = frame.Settings();
  settings.Load(Profile(), FrameSettings::Step::AfterCommandLine);
  WindowRect rect = kDefaultRect;
  if (!settings.m_strRect.empty()) {
    const std::optional<WindowRect> saved = ParseRectText(settings.m_strRect);
    if (saved && IsUsableRect(*saved)) rect = *saved;
  }
  rect = FitRectToDesktop(rect, AvailableAreaFor(rect, ScreenAreas()));
  const bool minimized = settings.m_bStartMinimized || settings.m_bMinimized;
  const bool maximized = settings.m_bMaximized;

  if (minimized) {
    m_nCmdShow = fw::SW_SHOWMINNOACTIVE;
  } else {
    m_nCmdShow = maximized ? fw::SW_SHOWMAXIMIZED : fw::SW_SHOWNORMAL;
  }
  m_nPlacementFlag = maximized ? WPF_RESTORETOMAXIMIZED : 0;
  frame.Placement().Place(
      QRect(rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top));
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

bool CTolvaneApp::ProcessShellCommand(const fw::CCommandLineInfo& info) {
  using Info = fw::CCommandLineInfo;
  switch (info.m_nShellCommand) {
    case Info::FileNew:
      return DocManager().OpenNewDocument() != nullptr;
    case Info::FileOpen: {
      bool opened = false;
      for (const std::string& name : NamedFiles(info)) {
        opened = DocManager().OpenDocumentFile(QString::fromStdString(name)) || opened;
        // What killed saves of this list left beside it goes now.
        platform::RemoveStaleTempFiles(name);
      }
      return opened;
    }
    case Info::FilePrint:
    case Info::FilePrintTo:
      // The file is opened (a missing one is reported) while the window is still
      // hidden; nothing prints, so the program ends without showing it.
      if (!info.m_strFileName.empty()) {
        DocManager().OpenDocumentFile(QString::fromStdString(info.m_strFileName));
      }
      m_nExitCode = 1;
      return false;
    case Info::FileDDE:
      // The open request follows over the instance socket.
      return true;
    case Info::AppUnregister: {
      const bool removed = UnregisterShellFileTypes();
      fw::AppMessageBox(removed ? res::IDS_UNREG_DONE : res::IDS_UNREG_FAILURE);
      m_nExitCode = removed ? 0 : 1;
      return false;
    }
  }
  return false;
}

bool CTolvaneApp::UnregisterShellFileTypes() { return UnregisterFromDesktop(); }

void CTolvaneApp::InstallStyle() {
  // Every document window shows the document icon: the style's picture for a window
  // without one (Qt's logo, a PNG file) would be read only to be replaced at once.
  platform::InstallLeanStyle(
      {{QStyle::SP_TitleBarMenuButton, doc::CChildFrame::DocumentIcon()}});
}

std::optional<platform::InstanceRequest> CTolvaneApp::HandOverRequest(
    const QStringList& arguments) {
  using Info = fw::CCommandLineInfo;
  const Info info = fw::ParseCommandLine(Utf8Arguments(arguments));
  switch (info.m_nShellCommand) {
    case Info::FilePrint:
    case Info::FilePrintTo:
    case Info::AppUnregister:
      return std::nullopt;
    default:
      break;
  }
  platform::InstanceRequest request{std::string(platform::kOpenVerb), {}};
  for (const std::string& name : NamedFiles(info)) {
    request.arguments.push_back(
        QFileInfo(QString::fromStdString(name)).absoluteFilePath().toStdString());
  }
  return request;
}

void CTolvaneApp::OnInstanceRequest(const platform::InstanceRequest& request) {
  // Other verbs are for clients that may come later; this program only opens.
  if (request.verb != platform::kOpenVerb || !m_pFrame) return;
  m_pFrame->ActivateFrame();
  for (const std::string& path : request.arguments) {
    DocManager().OpenDocumentFile(QString::fromStdString(path));
  }
}

bool CTolvaneApp::OnCmdMsg(unsigned id, fw::CCmdUI* ui) {
  static const fw::CommandMapEntry<CTolvaneApp> map[] = {
      {res::ID_APP_ABOUT, &CTolvaneApp::OnAppAbout, nullptr},
      {res::ID_FILE_READ_TEXT, &CTolvaneApp::OnFileReadText, nullptr},
  };
  return fw::DispatchCommandMap(this, map, id, ui) || fw::CWinApp::OnCmdMsg(id, ui);
}

void CTolvaneApp::OnFileReadText() {
  platform::FileDialogRequest request;
  request.title = fw::LoadQString(res::IDS_OPEN_TITLE);
  request.filters = {QString::fromUtf8(res::kTextFileFilter), fw::LoadQString(res::IDS_ALL_FILES)};
  request.owner = m_pFrame.get();
  const std::optional<QString> path = platform::ShowFileDialog(request);
  if (!path) return;

  std::vector<std::string> lines;
  try {
    fw::LoadFile(path->toStdString(), [&lines](fw::CArchive& ar) {
      lines = doc::ReadTextLines(ar, platform::SystemCodePage());
    });
  } catch (...) {
    fw::ReportFileFailure(std::current_exception(), *path, res::IDS_FAILED_OPEN_DOC);
    return;
  }

  fw::CMDIChildWnd* child = m_pFrame->MDIGetActive();
  auto* target = child ? dynamic_cast<doc::CTolvaneDoc*>(child->GetActiveDocument()) : nullptr;
  if (!target) {
    // A new list named after the file receives the lines.
    m_strNewDocTitle = QFileInfo(*path).fileName();
    target = dynamic_cast<doc::CTolvaneDoc*>(DocManager().OpenNewDocument());
    m_strNewDocTitle.clear();
    if (!target) return;
  }
  target->AppendTextLines(std::move(lines));
}

void CTolvaneApp::OnAppAbout() {
  dialogs::CVersionDialog dialog(m_pFrame.get());
  dialog.exec();
}

}  // namespace app
