#pragma once

#include <QByteArray>
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
ToolResult RunTool(const QString& program, const QStringList& arguments,
                   int timeoutMs = kWaitMs);

// The helper programs the tests drive; the names of those that are not on PATH.
QStringList MissingTools();

// A private X server for the whole run, on the first free display it may use.
class XvfbServer {
 public:
  XvfbServer() = default;
  ~XvfbServer() { Stop(); }
  XvfbServer(const XvfbServer&) = delete;
  XvfbServer& operator=(const XvfbServer&) = delete;

  static constexpr int kFirstDisplay = 40;
  static constexpr int kLastDisplay = 49;

  // Starts the server on the first free display of kFirstDisplay..kLastDisplay and waits
  // until it accepts clients; on failure `error` says why.
  bool Start(QString* error);
  void Stop();
  // ":N".
  QString DisplayName() const { return QStringLiteral(":%1").arg(m_nDisplay); }

 private:
  bool StartOn(int display, QString* error);

  pid_t m_pid = -1;
  int m_nDisplay = -1;
};

// Another program that owns the clipboard: xclip holding one text until another owner
// takes the clipboard (then it ends by itself) or the test's end kills it.
class ClipboardOwner {
 public:
  // Starts xclip with `bytes` and returns once it owns the clipboard; null on failure.
  static ClipboardOwner* Copy(const QByteArray& bytes);
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

// The built program, started with its own empty settings and data folders.
class TolvaneProcess {
 public:
  // `configHome`: the settings folder to use instead of an empty one of its own. Each
  // program gets a runtime folder of its own too, so that programs of different tests
  // never meet through the single-instance socket.
  explicit TolvaneProcess(const QString& configHome = {});
  ~TolvaneProcess();

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
  // be killed.
  int Terminate();

  QString ConfigHome() const { return m_strConfigHome; }
  // What the program printed, for failure messages.
  QString Output();

 private:
  QTemporaryDir m_configDir;
  QTemporaryDir m_dataDir;
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
