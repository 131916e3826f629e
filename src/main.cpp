#include <QApplication>
#include <clocale>

#include "app/main_frame.h"
#include "app/script_service.h"
#include "app/tolvane_app.h"
#include "app/termination_watch.h"
#include "platform/data_control_protocol.h"
#include "platform/qt_clipboard_port.h"
#include "platform/qt_translations.h"
#include "platform/single_instance.h"
#include "platform/startup_platform.h"
#include "platform/startup_warm_up.h"
#include "platform/wayland_clipboard_port.h"
#include "platform/x11_clipboard_port.h"

int main(int argc, char* argv[]) {
  // Before anything that takes time: a termination signal from now on waits for the loop.
  app::InstallTerminationHandlers();
  platform::FontConfigWarmUp fonts;
  std::setlocale(LC_ALL, "");
  // On a Wayland session whose compositor offers no data-control protocol (GNOME), the
  // program runs on X11 through XWayland, where every copy the compositor mirrors to X11
  // is seen in the background. Only for this process: programs it starts get the
  // environment as it was.
  const std::string qtPlatform =
      platform::ChooseQtPlatform(platform::StartupEnvironment::FromProcess(),
                                 platform::ProbeWaylandClipboard);
  if (!qtPlatform.empty()) qputenv("QT_QPA_PLATFORM", QByteArray::fromStdString(qtPlatform));
  // The whole interface is Japanese, Qt's own dialogs too, whatever the session's locale.
  platform::JapaneseQtLocale japanese;
  QApplication qtApp(argc, argv);
  japanese.Restore();
  if (!qtPlatform.empty()) qunsetenv("QT_QPA_PLATFORM");
  fonts.Wait();
  QApplication::setQuitOnLastWindowClosed(true);
  platform::InstallQtTranslations();
  app::CTolvaneApp::InstallStyle();

  QStringList arguments = QApplication::arguments();
  arguments.removeFirst();

  // One program per user: a second start hands its files to the first and ends.
  platform::SingleInstance instance(platform::InstanceSocketPath());
  if (const auto request = app::CTolvaneApp::HandOverRequest(arguments)) {
    if (instance.Start(*request) == platform::SingleInstance::Role::HandedOver) return 0;
  }
  // Only a start that stays: a hand-over has ended above without it.
  const platform::SessionBusWarmUp sessionBus;

  // On X11, and wherever a Wayland compositor offers a data-control protocol, the
  // clipboard is read off the window's thread, so a slow or silent owner never freezes the
  // window; elsewhere QClipboard does it all (on Wayland it sees copies only while a window
  // of ours has the focus, and the window says so).
  std::unique_ptr<platform::ClipboardPort> clipboard;
  if (QGuiApplication::platformName() == QLatin1String("xcb")) {
    clipboard = platform::X11ClipboardPort::Create();
  } else {
    clipboard = platform::WaylandClipboardPort::Create();
  }
  if (!clipboard) clipboard = std::make_unique<platform::QtClipboardPort>();
  app::CTolvaneApp theApp(std::move(clipboard), arguments);
  QObject::connect(&instance, &platform::SingleInstance::RequestReceived, &theApp,
                   &app::CTolvaneApp::OnInstanceRequest);
  // tolvanectl's requests are answered against the active list.
  app::ScriptService scripts(theApp);
  QObject::connect(&instance, &platform::SingleInstance::ScriptRequestReceived, &scripts,
                   &app::ScriptService::OnRequest);
  // The end of the user's work, or a termination signal, ends the program as Exit does,
  // also while a dialog or message box is open: the watch ends those, every event loop
  // ends, and the window closes (writing the settings) once nothing of it is still on
  // the stack. During start-up (a message box about the command line's file) start-up
  // goes on to its end first, so that the settings written are complete.
  bool bRunning = false;
  bool bEnding = false;
  const auto endOfWork = [&bRunning, &bEnding] {
    bEnding = true;
    if (bRunning) QApplication::exit(0);
  };
  app::TerminationWatch watch(endOfWork);
  QObject::connect(&qtApp, &QGuiApplication::commitDataRequest, &qtApp, endOfWork);
  if (!theApp.InitInstance()) return theApp.ExitCode();
  bRunning = true;
  const int exitCode = bEnding ? 0 : QApplication::exec();
  if (bEnding) {
    if (app::CMainFrame* frame = theApp.MainFrame()) frame->close();
  }
  return exitCode;
}
