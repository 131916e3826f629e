#pragma once

#include <QString>
#include <QStringList>
#include <optional>

#include "app/desktop_registration.h"
#include "document/clipboard_capture.h"
#include "framework/win_app.h"

namespace doc {
class JournalStore;
}
namespace fw {
struct CCommandLineInfo;
}
namespace platform {
struct InstanceRequest;
}

namespace app {

class CMainFrame;

// The application object: the start-up sequence and the application-wide commands.
class CTolvaneApp : public fw::CWinApp {
  Q_OBJECT

 public:
  // `arguments`: the command line after the program's name.
  CTolvaneApp(std::unique_ptr<platform::ClipboardPort> clipboard, QStringList arguments = {});
  ~CTolvaneApp() override;

  bool InitInstance() override;

  // Step one of the settings, before the command line: bars, topmost, start-up file,
  // auto paste.
  void LoadFrameSettings();
  // Step two, after the command line: rectangle and show state, once per run.
  void RestoreWindowPlacement();
  // Opens the document named by the start-up file setting, if any: in front, or behind
  // the window that is active. False when there is none or it could not be opened.
  bool OpenStartupFile(bool inFront);

  CMainFrame* MainFrame() const;

  // The exit status when InitInstance returned false: 1 when start-up failed or a print
  // request could not be carried out, 0 after a successful "Unregister".
  int ExitCode() const { return m_nExitCode; }

  // What a start with `arguments` hands to an instance that already runs: "open" with
  // the named files as absolute paths (none: just come to the front). nullopt for the
  // switches that end the program without a window (print, unregister).
  static std::optional<platform::InstanceRequest> HandOverRequest(const QStringList& arguments);

  // The application's style with the standard icons read on first use and the document
  // windows' own picture as their menu icon. Once, before any window is made.
  static void InstallStyle();
  // A request from another start: the window comes to the front and opens the files.
  void OnInstanceRequest(const platform::InstanceRequest& request);

  // The clipboard watcher with the text and switches that documents and views read.
  doc::ClipboardCapture& Capture() { return m_capture; }
  // The recovery journals of the modified lists; null before InitInstance.
  doc::JournalStore* Journals() const { return m_pJournals.get(); }

  QString m_strNewDocTitle;
  // Start-up writes the desktop entry, MIME type and icons; widget tests leave them be.
  bool m_bRegisterWithDesktop = true;

  bool OnCmdMsg(unsigned id, fw::CCmdUI* ui) override;

 private:
  void OnAppAbout();
  // Reads a text file's lines into the active list, or into a new one named after it.
  void OnFileReadText();
  void ApplyCodePageSetting();
  void ShowMainWindow();
  bool ProcessShellCommand(const fw::CCommandLineInfo& info);
  // Reopens the lists that runs which did not end normally left in their journals and
  // names the journals that cannot be read; returns how many lists came back.
  int RecoverLists();
  // Removes what start-up registered with the desktop; true when nothing is left.
  virtual bool UnregisterShellFileTypes();

  QStringList m_arguments;
  doc::ClipboardCapture m_capture;
  std::unique_ptr<doc::JournalStore> m_pJournals;
  std::unique_ptr<CMainFrame> m_pFrame;
  DesktopRegistration m_registration;
  int m_nPlacementFlag = 0;
  int m_nExitCode = 1;
};

inline constexpr int WPF_RESTORETOMAXIMIZED = 2;

}  // namespace app
