#pragma once

#include <QString>
#include <QStringList>

#include "document/capture_state.h"
#include "framework/win_app.h"

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
  // Opens the document named by the start-up file setting, if any, beside what the
  // command line opened; the command line's window stays the active one.
  void OpenStartupFile();

  CMainFrame* MainFrame() const;

  QString m_strNewDocTitle;
  // The clipboard text and capture switches that the watcher fills and documents read.
  doc::CaptureState m_capture;

  bool OnCmdMsg(unsigned id, fw::CCmdUI* ui) override;

 private:
  void OnAppAbout();
  void ApplyCodePageSetting();
  void ShowMainWindow();

  QStringList m_arguments;
  std::unique_ptr<CMainFrame> m_pFrame;
  int m_nPlacementFlag = 0;
};

inline constexpr int WPF_RESTORETOMAXIMIZED = 2;

// The running application object, or null.
CTolvaneApp* TolvaneApp();

}  // namespace app
