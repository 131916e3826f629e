#pragma once

#include <QObject>
#include <QString>
#include <exception>
#include <memory>
#include <vector>

#include "framework/cmd_target.h"
#include "framework/recent_file_list.h"
#include "platform/message_box.h"

namespace platform {
class ClipboardPort;
class ProfileFile;
}  // namespace platform

namespace fw {

class CDocManager;
class CDocTemplate;
class CMDIFrameWnd;

// Show states of the main window at launch.
inline constexpr int SW_SHOWNORMAL = 1;
inline constexpr int SW_SHOWMAXIMIZED = 3;
inline constexpr int SW_SHOWMINNOACTIVE = 7;

// The application base: the one object of the run. It owns the document templates,
// knows the main window, the settings file and the clipboard, and runs the idle update.
class CWinApp : public QObject, public CCmdTarget {
  Q_OBJECT

 public:
  // `settingsBaseName`: the settings file is <config folder>/<base>.INI.
  CWinApp(const QString& settingsBaseName, std::unique_ptr<platform::ClipboardPort> clipboard);
  ~CWinApp() override;

  virtual bool InitInstance() = 0;

  CMDIFrameWnd* GetMainWnd() const { return m_pMainWnd; }
  platform::ClipboardPort& Clipboard() const { return *m_pClipboard; }
  platform::ProfileFile& Profile() const { return *m_pProfile; }

  CDocManager& DocManager() const { return *m_pDocManager; }
  // The template's documents and windows belong to this application from now on.
  void AddDocTemplate(std::unique_ptr<CDocTemplate> docTemplate);
  CDocTemplate* GetDocTemplate() const;

  // The launch show state (SW_*).
  int m_nCmdShow = SW_SHOWNORMAL;

  // The framework's settings: the recent-file list (`maxMru` entries) and
  // "Settings"/"PreviewPages". Read at start-up; written when the application ends,
  // before the settings file is flushed.
  void LoadStdProfileSettings(int maxMru = CRecentFileList::kDefaultSize);
  void SaveStdProfileSettings();
  int m_nNumPreviewPages = 0;

  // Marks the tool bar and status panes for an update when the program next idles.
  void RequestIdleUpdate() { m_bIdlePending = true; }
  void RunIdleUpdateNow();
  // Whether input (keys, clicks, focus, activation) came since the last idle update: the
  // lock keys can have changed only then, and asking the server for them is a round trip.
  bool InputSinceIdleUpdate() const { return m_bInputSeen; }

  bool OnCmdMsg(unsigned id, CCmdUI* ui) override;

 protected:
  void OnFileNew();
  void OnFileOpen();
  void OnAppExit();
  void OnFileMruFile1();
  void OnFileMruFile2();
  void OnFileMruFile3();
  void OnFileMruFile4();

  CMDIFrameWnd* m_pMainWnd = nullptr;

 private:
  bool eventFilter(QObject* watched, QEvent* event) override;

  std::unique_ptr<platform::ClipboardPort> m_pClipboard;
  std::unique_ptr<platform::ProfileFile> m_pProfile;
  std::unique_ptr<CDocManager> m_pDocManager;
  bool m_bIdlePending = true;
  bool m_bInputSeen = true;
  bool m_bStdProfileLoaded = false;
};

// The application title: string 57344.
QString AppTitle();
// The text of a string resource.
QString LoadQString(unsigned id);

// The application message box: caption the application title, owner the active window
// (else the running application's main window).
// A box with the stop icon is preceded by the error beep. Without an icon, the standard
// button sets get the exclamation icon.
int AppMessageBox(const QString& text, platform::MbIcon icon = platform::MbIcon::None,
                  platform::MbButtons buttons = platform::MbButtons::Ok, unsigned helpContext = 0,
                  bool systemModal = false);
// A failure that escaped a handler or a flow: a memory shortage shows 61475 (exclamation,
// system modal); a file or archive error its own text with its file; anything else 61705
// when it arose in a menu or key command, 61704 otherwise (stop icon).
void ReportEscapedFailure(const std::exception_ptr& error, bool inCommand);

int AppMessageBox(unsigned stringId, platform::MbIcon icon = platform::MbIcon::None,
                  platform::MbButtons buttons = platform::MbButtons::Ok, unsigned helpContext = 0,
                  bool systemModal = false);

}  // namespace fw
