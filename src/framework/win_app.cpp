#include "framework/win_app.h"

#include <QAbstractEventDispatcher>
#include <QApplication>
#include <QEvent>

#include "framework/doc_manager.h"
#include "framework/file_exception.h"
#include "framework/doc_template.h"
#include "framework/mdi_frame_wnd.h"
#include "framework/resource_tables.h"
#include "platform/clipboard_port.h"
#include "platform/file_dialog.h"
#include "platform/profile_file.h"
#include "framework/framework_ids.h"

namespace fw {
namespace {
// The running application: only for the owner of a message box shown while no window is
// active, which has nothing else to ask.
CWinApp* g_pApp = nullptr;
constexpr char kSettingsSection[] = "Settings";
constexpr char kPreviewPages[] = "PreviewPages";
}  // namespace

CWinApp::CWinApp(const QString& settingsBaseName,
                 std::unique_ptr<platform::ClipboardPort> clipboard)
    : m_pClipboard(std::move(clipboard)),
      m_pProfile(std::make_unique<platform::ProfileFile>(
          platform::SettingsFilePath(settingsBaseName.toStdString()))),
      m_pDocManager(std::make_unique<CDocManager>()) {
  g_pApp = this;
  // Tool-bar buttons and status panes follow the state when the program idles: after
  // input, commands and document changes, never in a busy loop.
  if (auto* dispatcher = QAbstractEventDispatcher::instance()) {
    connect(dispatcher, &QAbstractEventDispatcher::aboutToBlock, this, [this] {
      if (m_bIdlePending) RunIdleUpdateNow();
    });
  }
  qApp->installEventFilter(this);
}

CWinApp::~CWinApp() {
  SaveStdProfileSettings();
  // Everything the run wrote into the settings goes to the file once, here at its end.
  m_pProfile->Flush();
  qApp->removeEventFilter(this);
  m_pDocManager.reset();
  if (g_pApp == this) g_pApp = nullptr;
}

void CWinApp::AddDocTemplate(std::unique_ptr<CDocTemplate> docTemplate) {
  docTemplate->SetApp(this);
  m_pDocManager->AddDocTemplate(std::move(docTemplate));
}

CDocTemplate* CWinApp::GetDocTemplate() const { return m_pDocManager->GetDocTemplate(); }

void CWinApp::LoadStdProfileSettings(int maxMru) {
  CRecentFileList& list = m_pDocManager->RecentFileList();
  list = CRecentFileList(maxMru);
  list.ReadList(*m_pProfile);
  m_nNumPreviewPages = m_pProfile->GetInt(kSettingsSection, kPreviewPages, 0);
  m_bStdProfileLoaded = true;
}

void CWinApp::SaveStdProfileSettings() {
  // A run that never read them (start-up failed early) leaves them as they are.
  if (!m_bStdProfileLoaded) return;
  m_pDocManager->RecentFileList().WriteList(*m_pProfile);
  if (m_nNumPreviewPages != 0) {
    m_pProfile->WriteInt(kSettingsSection, kPreviewPages, m_nNumPreviewPages);
  }
}

void CWinApp::RunIdleUpdateNow() {
  m_bIdlePending = false;
  if (m_pMainWnd) m_pMainWnd->OnIdleUpdate();
  m_bInputSeen = false;
}

bool CWinApp::eventFilter(QObject* watched, QEvent* event) {
  switch (event->type()) {
    case QEvent::KeyPress:
    case QEvent::KeyRelease:
    case QEvent::MouseButtonRelease:
    case QEvent::FocusIn:
    case QEvent::WindowActivate:
      m_bIdlePending = true;
      m_bInputSeen = true;
      break;
    default:
      break;
  }
  return QObject::eventFilter(watched, event);
}

bool CWinApp::OnCmdMsg(unsigned id, CCmdUI* ui) {
  static const CommandMapEntry<CWinApp> map[] = {
      {ids::ID_FILE_NEW, &CWinApp::OnFileNew, nullptr},
      {ids::ID_FILE_OPEN, &CWinApp::OnFileOpen, nullptr},
      {ids::ID_APP_EXIT, &CWinApp::OnAppExit, nullptr},
      {ids::ID_FILE_MRU_FILE1, &CWinApp::OnFileMruFile1, nullptr},
      {ids::ID_FILE_MRU_FILE2, &CWinApp::OnFileMruFile2, nullptr},
      {ids::ID_FILE_MRU_FILE3, &CWinApp::OnFileMruFile3, nullptr},
      {ids::ID_FILE_MRU_FILE4, &CWinApp::OnFileMruFile4, nullptr},
  };
  return DispatchCommandMap(this, map, id, ui);
}

void CWinApp::OnFileNew() { m_pDocManager->OpenNewDocument(); }

void CWinApp::OnFileOpen() {
  platform::FileDialogRequest request;
  request.title = LoadQString(ids::IDS_OPEN_TITLE);
  if (CDocTemplate* docTemplate = GetDocTemplate()) {
    request.filters << docTemplate->GetDocString(CDocTemplate::filterName);
    request.defaultSuffix = docTemplate->GetDocString(CDocTemplate::filterExt).mid(1);
  }
  request.filters << LoadQString(ids::IDS_ALL_FILES);
  request.owner = m_pMainWnd;
  if (const std::optional<QString> path = platform::ShowFileDialog(request)) {
    m_pDocManager->OpenDocumentFile(*path);
  }
}
void CWinApp::OnFileMruFile1() { m_pDocManager->OpenRecentFile(0); }
void CWinApp::OnFileMruFile2() { m_pDocManager->OpenRecentFile(1); }
void CWinApp::OnFileMruFile3() { m_pDocManager->OpenRecentFile(2); }
void CWinApp::OnFileMruFile4() { m_pDocManager->OpenRecentFile(3); }

void CWinApp::OnAppExit() {
  if (m_pMainWnd) m_pMainWnd->close();
}

QString LoadQString(unsigned id) {
  const std::string_view text = TableString(id);
  return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

QString AppTitle() { return LoadQString(ids::IDS_APP_TITLE); }

int AppMessageBox(const QString& text, platform::MbIcon icon, platform::MbButtons buttons,
                  unsigned helpContext, bool systemModal) {
  platform::MessageBoxRequest request;
  request.text = text;
  request.caption = AppTitle();
  request.icon = icon == platform::MbIcon::None ? platform::MbIcon::Exclamation : icon;
  request.buttons = buttons;
  request.helpContext = helpContext;
  request.systemModal = systemModal;
  request.beep = icon == platform::MbIcon::Stop;
  request.owner = QApplication::activeWindow();
  if (!request.owner) {
    if (g_pApp) request.owner = g_pApp->GetMainWnd();
  }
  return platform::ShowMessageBox(request);
}

void ReportEscapedFailure(const std::exception_ptr& error, bool inCommand) {
  try {
    std::rethrow_exception(error);
  } catch (const std::bad_alloc&) {
    AppMessageBox(ids::IDS_MEMORY_EXCEPTION, platform::MbIcon::Exclamation, platform::MbButtons::Ok,
                  0, /*systemModal=*/true);
    return;
  } catch (const CFileException& e) {
    QString text = LoadQString(ids::IDS_FILE_ERROR_BASE + static_cast<unsigned>(e.m_cause));
    const QString file = e.m_strFileName.empty() ? LoadQString(ids::IDS_UNTITLED_FILE)
                                                 : QString::fromStdString(e.m_strFileName);
    AppMessageBox(text.replace(QLatin1String("%1"), file), platform::MbIcon::Stop);
    return;
  } catch (const CArchiveException& e) {
    QString text = LoadQString(ids::IDS_ARCHIVE_ERROR_BASE + static_cast<unsigned>(e.m_cause));
    AppMessageBox(text.replace(QLatin1String("%1"), LoadQString(ids::IDS_UNTITLED_FILE)),
                  platform::MbIcon::Stop);
    return;
  } catch (...) {
  }
  AppMessageBox(inCommand ? ids::IDS_COMMAND_FAILURE : ids::IDS_INTERNAL_ERROR,
                platform::MbIcon::Stop);
}

int AppMessageBox(unsigned stringId, platform::MbIcon icon, platform::MbButtons buttons,
                  unsigned helpContext, bool systemModal) {
  return AppMessageBox(LoadQString(stringId), icon, buttons, helpContext, systemModal);
}

}  // namespace fw
