#pragma once

#include <QByteArray>
#include <QImage>
#include <QPoint>
#include <QProcess>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <sys/types.h>
#include <vector>

namespace e2e {

// Every wait of the end-to-end tests is bounded by this, in milliseconds.
inline constexpr int kWaitMs = 5000;

// Keeps the event loop running until `condition` holds or `timeoutMs` has passed; the
// condition's last answer. Our own process may own the clipboard, and then a reader in
// another process needs us to answer, so no wait here ever blocks the event loop.
bool WaitUntil(const std::function<bool()>& condition, int timeoutMs = kWaitMs);

struct ToolResult {
  bool finished = false;  // ended by itself within the time
  int exitCode = -1;
  QByteArray out;
  QByteArray err;
};

// Runs a helper program to its end while the event loop runs; kills it after the time.
// `display`: the X display it talks to instead of the run's own.
ToolResult RunTool(const QString& program, const QStringList& arguments,
                   int timeoutMs = kWaitMs, const QString& display = {});

// The helper programs the tests drive; the names of those that are not on PATH.
QStringList MissingTools();

// A helper program of our own, built beside the tests (hung_owner, feeder, window_ping).
QString HelperPath(const QString& name);

// A helper program that keeps running: started, then waited for until it prints `line`.
// Killed when destroyed.
class HelperProcess {
 public:
  HelperProcess() = default;
  ~HelperProcess();
  HelperProcess(const HelperProcess&) = delete;
  HelperProcess& operator=(const HelperProcess&) = delete;

  bool Start(const QString& name, const QStringList& arguments);
  bool WaitForLine(const QByteArray& line, int timeoutMs = kWaitMs);
  // Waits until the helper has ended by itself.
  bool WaitForEnd(int timeoutMs = kWaitMs);
  QByteArray Output();

 private:
  QProcess m_process;
  QByteArray m_output;
};

// How long the window `windowId` took at most to answer a ping during `durationMs`
// (window_ping); -1 when the probe failed.
int LongestPingMs(const QString& windowId, int durationMs);

// A private X server for the whole run, on the first free display of :50 to :59, or on
// the number in TOLVANE_E2E_DISPLAY.
class XvfbServer {
 public:
  XvfbServer() = default;
  ~XvfbServer() { Stop(); }
  XvfbServer(const XvfbServer&) = delete;
  XvfbServer& operator=(const XvfbServer&) = delete;

  // Starts the server and waits until it accepts clients; on failure `error` says why.
  bool Start(QString* error);
  void Stop();
  // ":N".
  QString DisplayName() const { return QStringLiteral(":%1").arg(m_nDisplay); }

 private:
  static constexpr int kFirstDisplay = 50;
  static constexpr int kLastDisplay = 59;
  bool StartOn(int display, QString* error);

  pid_t m_pid = -1;
  int m_nDisplay = -1;
};

// Another program that owns the clipboard: xclip holding one text until another owner
// takes the clipboard (then it ends by itself) or the test's end kills it.
class ClipboardOwner {
 public:
  // Starts xclip with `bytes` and returns once it owns the clipboard; null on failure.
  // xclip offers them as text, or as the one `target` given.
  static ClipboardOwner* Copy(const QByteArray& bytes, int timeoutMs = kWaitMs,
                              const QString& target = {});
  // Kills the owners still running; every test ends with this.
  static void KillAll();

  // Waits until some program has read the text from this owner.
  bool WaitUntilRead(int timeoutMs = kWaitMs);

 private:
  ClipboardOwner() = default;
  bool WaitForLog(const QByteArray& line, int timeoutMs);

  std::unique_ptr<QProcess> m_pProcess;
  QByteArray m_log;
};

// The clipboard's text as another program reads it (xclip -o); nullopt when it holds none
// or its owner does not answer in time.
std::optional<QByteArray> ReadClipboard();
// Reads the clipboard until it holds `expected`; the last text read goes to `last`.
bool WaitForClipboardText(const QByteArray& expected, QByteArray* last);

// Windows of the X server, through xdotool. Ids are decimal window numbers.
// The first visible window whose name matches `pattern`, waiting until there is one.
QString FindWindow(const QString& pattern);
QString WindowName(const QString& windowId);
// The window's position and size as x, y, width, height; empty when unknown.
std::vector<int> WindowGeometry(const QString& windowId);
// Gives the keyboard focus to the window (there is no window manager to do it).
bool FocusWindow(const QString& windowId);
// Types key combinations ("Down", "ctrl+c") into the focused window.
bool SendKeys(const QStringList& keys);
// Types `text` into the focused window.
bool TypeText(const QString& text);
// Presses the left button at the first point of `path` (screen coordinates), moves
// through the others and releases it at the last.
bool DragMouse(const std::vector<QPoint>& path);
// The whole screen as the X server shows it.
QImage GrabScreen();

// The built program, started with its own empty settings and data folders.
class TolvaneProcess {
 public:
  // `configHome`: the settings folder to use instead of an empty one of its own. Each
  // program gets a runtime folder of its own too, so that programs of different tests
  // never meet through the single-instance socket.
  explicit TolvaneProcess(const QString& configHome = {});
  ~TolvaneProcess();

  // Runs it on the X display `display` instead of the run's own; before Start().
  void SetDisplay(const QString& display);
  // Shares another program's runtime folder: the two then meet as one user's programs.
  void UseRuntimeDir(const QString& runtimeDir);
  QString RuntimeDir() const { return m_strRuntimeDir; }

  bool Start(const QStringList& arguments = {});
  // Waits for the program to end by itself; its exit code, or -1 when it crashed or
  // still ran after the time (it is then killed).
  int WaitForEnd(int timeoutMs = kWaitMs);
  // Ends the program with SIGKILL, as a crash would.
  void Kill();
  // The main window, once it is shown.
  QString WaitForWindow();
  // Sends SIGTERM and waits for the end; the exit code, or -1 when it crashed or had to
  // be killed. `elapsedMs`, when given, receives the time from the signal to the end.
  int Terminate(qint64* elapsedMs = nullptr);

  QString ConfigHome() const { return m_strConfigHome; }
  qint64 ProcessId() const { return m_process.processId(); }
  QString DataHome() const { return m_strDataHome; }
  // Shares another program's data folder (desktop files) instead of an empty one.
  void UseDataHome(const QString& dataHome);
  // What the program printed, for failure messages.
  QString Output();

 private:
  QTemporaryDir m_configDir;
  QTemporaryDir m_dataDir;
  QString m_strDataHome = m_dataDir.path();
  QTemporaryDir m_runtimeDir;
  QString m_strConfigHome;
  QString m_strRuntimeDir;
  QProcess m_process;
  QByteArray m_output;
};

// The lines of one section of an INI file ("key=value"), in file order.
std::vector<std::string> IniSectionLines(const QString& path, const std::string& section);

// With TOLVANE_E2E_SHOTS naming a folder, saves the screen there as <name>.xwd.
void SaveScreenshot(const QString& name);

}  // namespace e2e
