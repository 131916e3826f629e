#include "e2e/e2e_support.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QGuiApplication>
#include <QPixmap>
#include <QScreen>
#include <QProcessEnvironment>
#include <QStandardPaths>
#include <QtTest/QTest>
#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <poll.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

namespace e2e {
namespace {

std::vector<std::unique_ptr<ClipboardOwner>>& Owners() {
  static std::vector<std::unique_ptr<ClipboardOwner>> owners;
  return owners;
}

bool WaitForExit(QProcess& process, int timeoutMs) {
  return WaitUntil([&] { return process.state() == QProcess::NotRunning; }, timeoutMs);
}

void KillAndReap(QProcess& process) {
  if (process.state() == QProcess::NotRunning) return;
  process.kill();
  // A killed process is gone at once; this only collects it.
  process.waitForFinished(1000);
}

}  // namespace

bool WaitUntil(const std::function<bool()>& condition, int timeoutMs) {
  const QDeadlineTimer deadline(timeoutMs);
  while (!condition()) {
    if (deadline.hasExpired()) return condition();
    QTest::qWait(5);
  }
  return true;
}

ToolResult RunTool(const QString& program, const QStringList& arguments, int timeoutMs,
                   const QString& display) {
  ToolResult result;
  QProcess process;
  if (!display.isEmpty()) {
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("DISPLAY"), display);
    process.setProcessEnvironment(env);
  }
  process.start(program, arguments);
  if (!process.waitForStarted(timeoutMs)) return result;
  process.closeWriteChannel();
  result.finished = WaitForExit(process, timeoutMs);
  if (!result.finished) KillAndReap(process);
  if (result.finished && process.exitStatus() == QProcess::NormalExit) {
    result.exitCode = process.exitCode();
  }
  result.out = process.readAllStandardOutput();
  result.err = process.readAllStandardError();
  return result;
}

QStringList MissingTools() {
  QStringList missing;
  for (const char* tool : {"Xvfb", "xclip", "xdotool"}) {
    if (QStandardPaths::findExecutable(QString::fromLatin1(tool)).isEmpty()) {
      missing << QString::fromLatin1(tool);
    }
  }
  return missing;
}

QString HelperPath(const QString& name) {
  return QStringLiteral(TOLVANE_E2E_HELPERS "/") + name;
}

HelperProcess::~HelperProcess() { KillAndReap(m_process); }

bool HelperProcess::Start(const QString& name, const QStringList& arguments) {
  m_process.start(HelperPath(name), arguments);
  return m_process.waitForStarted(kWaitMs);
}

bool HelperProcess::WaitForLine(const QByteArray& line, int timeoutMs) {
  return WaitUntil([&] { return Output().contains(line); }, timeoutMs);
}

bool HelperProcess::WaitForEnd(int timeoutMs) { return WaitForExit(m_process, timeoutMs); }

QByteArray HelperProcess::Output() {
  m_output += m_process.readAll();
  return m_output;
}

int LongestPingMs(const QString& windowId, int durationMs) {
  const ToolResult result = RunTool(HelperPath(QStringLiteral("window_ping")),
                                    {windowId, QString::number(durationMs)}, durationMs + 10000);
  if (!result.finished || result.exitCode != 0) return -1;
  for (const QByteArray& line : result.out.split('\n')) {
    if (line.startsWith("max_ms ")) return line.mid(7).toInt();
  }
  return -1;
}

// --- Xvfb ------------------------------------------------------------------------------

bool XvfbServer::Start(QString* error) {
  const QByteArray chosen = qgetenv("TOLVANE_E2E_DISPLAY");
  if (!chosen.isEmpty()) return StartOn(chosen.toInt(), error);
  // Display numbers 50 to 59 are the tests' own; the first one free is taken.
  for (int display = kFirstDisplay; display <= kLastDisplay; ++display) {
    if (StartOn(display, error)) return true;
  }
  return false;
}

bool XvfbServer::StartOn(int display, QString* error) {
  int fds[2];
  if (::pipe2(fds, O_CLOEXEC) != 0) {
    *error = QStringLiteral("pipe: %1").arg(qt_error_string(errno));
    return false;
  }
  m_pid = ::fork();
  if (m_pid < 0) {
    *error = QStringLiteral("fork: %1").arg(qt_error_string(errno));
    ::close(fds[0]);
    ::close(fds[1]);
    return false;
  }
  if (m_pid == 0) {
    // The server goes with the test run, also when the run crashes.
    ::prctl(PR_SET_PDEATHSIG, SIGTERM);
    ::fcntl(fds[1], F_SETFD, 0);
    const int devNull = ::open("/dev/null", O_RDWR);
    ::dup2(devNull, STDIN_FILENO);
    ::dup2(devNull, STDOUT_FILENO);
    const std::string fd = std::to_string(fds[1]);
    const std::string name = ":" + std::to_string(display);
    ::execlp("Xvfb", "Xvfb", name.c_str(), "-displayfd", fd.c_str(), "-screen", "0",
             "1280x1024x24", "-nolisten", "tcp", static_cast<char*>(nullptr));
    ::_exit(127);
  }
  ::close(fds[1]);

  // The server writes its display number to the pipe once it accepts clients.
  std::string text;
  const QDeadlineTimer deadline(10000);
  while (text.find('\n') == std::string::npos && !deadline.hasExpired()) {
    pollfd pfd{fds[0], POLLIN, 0};
    if (::poll(&pfd, 1, static_cast<int>(deadline.remainingTime())) <= 0) continue;
    char buffer[32];
    const ssize_t got = ::read(fds[0], buffer, sizeof buffer);
    if (got <= 0) break;
    text.append(buffer, static_cast<std::size_t>(got));
  }
  ::close(fds[0]);
  if (text.find('\n') == std::string::npos) {
    *error = QStringLiteral("Xvfb did not start on display :%1 to :%2")
                 .arg(kFirstDisplay)
                 .arg(kLastDisplay);
    Stop();
    return false;
  }
  m_nDisplay = std::stoi(text);
  return true;
}

void XvfbServer::Stop() {
  if (m_pid <= 0) return;
  ::kill(m_pid, SIGTERM);
  const QDeadlineTimer deadline(5000);
  while (::waitpid(m_pid, nullptr, WNOHANG) == 0) {
    if (deadline.hasExpired()) {
      ::kill(m_pid, SIGKILL);
      ::waitpid(m_pid, nullptr, 0);
      break;
    }
    ::usleep(10000);
  }
  m_pid = -1;
}

// --- Clipboard ---------------------------------------------------------------------------

ClipboardOwner* ClipboardOwner::Copy(const QByteArray& bytes, int timeoutMs,
                                     const QString& target) {
  std::unique_ptr<ClipboardOwner> owner(new ClipboardOwner);
  owner->m_pProcess = std::make_unique<QProcess>();
  // -verbose keeps xclip in the foreground (so it can be killed) and reports each
  // request it has served.
  QStringList arguments{QStringLiteral("-selection"), QStringLiteral("clipboard"),
                        QStringLiteral("-i"), QStringLiteral("-verbose")};
  if (!target.isEmpty()) arguments << QStringLiteral("-t") << target;
  owner->m_pProcess->start(QStringLiteral("xclip"), arguments);
  if (!owner->m_pProcess->waitForStarted(kWaitMs)) return nullptr;
  owner->m_pProcess->write(bytes);
  owner->m_pProcess->closeWriteChannel();
  ClipboardOwner* result = owner.get();
  Owners().push_back(std::move(owner));
  if (!result->WaitForLog("Waiting for selection requests", timeoutMs)) return nullptr;
  return result;
}

void ClipboardOwner::KillAll() {
  for (auto& owner : Owners()) KillAndReap(*owner->m_pProcess);
  Owners().clear();
}

bool ClipboardOwner::WaitUntilRead(int timeoutMs) {
  // xclip announces the next request once it has delivered the text for the first.
  return WaitForLog("Waiting for selection request number 2", timeoutMs);
}

bool ClipboardOwner::WaitForLog(const QByteArray& line, int timeoutMs) {
  return WaitUntil(
      [&] {
        m_log += m_pProcess->readAllStandardError();
        return m_log.contains(line);
      },
      timeoutMs);
}

std::optional<QByteArray> ReadClipboard() {
  const ToolResult result =
      RunTool(QStringLiteral("xclip"),
              {QStringLiteral("-selection"), QStringLiteral("clipboard"), QStringLiteral("-o")});
  if (!result.finished || result.exitCode != 0) return std::nullopt;
  return result.out;
}

bool WaitForClipboardText(const QByteArray& expected, QByteArray* last) {
  return WaitUntil([&] {
    const std::optional<QByteArray> text = ReadClipboard();
    *last = text.value_or(QByteArray("<no text>"));
    return text == expected;
  });
}

// --- Windows and keys ----------------------------------------------------------------

QString FindWindow(const QString& pattern) {
  const ToolResult result = RunTool(
      QStringLiteral("xdotool"), {QStringLiteral("search"), QStringLiteral("--sync"),
                                  QStringLiteral("--onlyvisible"), QStringLiteral("--name"),
                                  pattern});
  if (!result.finished || result.exitCode != 0) return {};
  return QString::fromLatin1(result.out).section(QLatin1Char('\n'), 0, 0).trimmed();
}

QString WindowName(const QString& windowId) {
  const ToolResult result =
      RunTool(QStringLiteral("xdotool"), {QStringLiteral("getwindowname"), windowId});
  return QString::fromUtf8(result.out).trimmed();
}

std::vector<int> WindowGeometry(const QString& windowId) {
  const ToolResult result = RunTool(
      QStringLiteral("xdotool"),
      {QStringLiteral("getwindowgeometry"), QStringLiteral("--shell"), windowId});
  std::vector<int> values;
  for (const char* key : {"X=", "Y=", "WIDTH=", "HEIGHT="}) {
    for (const QByteArray& line : result.out.split('\n')) {
      if (line.startsWith(key)) values.push_back(line.mid(qstrlen(key)).toInt());
    }
  }
  if (values.size() != 4) values.clear();
  return values;
}

bool FocusWindow(const QString& windowId) {
  const ToolResult result =
      RunTool(QStringLiteral("xdotool"),
              {QStringLiteral("windowfocus"), QStringLiteral("--sync"), windowId});
  return result.finished && result.exitCode == 0;
}

bool SendKeys(const QStringList& keys) {
  const ToolResult result =
      RunTool(QStringLiteral("xdotool"), QStringList{QStringLiteral("key")} + keys);
  return result.finished && result.exitCode == 0;
}

bool TypeText(const QString& text) {
  const ToolResult result =
      RunTool(QStringLiteral("xdotool"), {QStringLiteral("type"), QStringLiteral("--delay"),
                                          QStringLiteral("20"), text});
  return result.finished && result.exitCode == 0;
}

bool DragMouse(const std::vector<QPoint>& path) {
  if (path.size() < 2) return false;
  const auto run = [](const QStringList& arguments) {
    const ToolResult result = RunTool(QStringLiteral("xdotool"), arguments);
    // Each step reaches the program before the next: a pause with the event loop running.
    QTest::qWait(50);
    return result.finished && result.exitCode == 0;
  };
  const auto moveTo = [&](const QPoint& point) {
    return run({QStringLiteral("mousemove"), QString::number(point.x()),
                QString::number(point.y())});
  };
  if (!moveTo(path.front()) || !run({QStringLiteral("mousedown"), QStringLiteral("1")})) {
    return false;
  }
  for (std::size_t i = 1; i < path.size(); ++i) {
    if (!moveTo(path[i])) return false;
  }
  return run({QStringLiteral("mouseup"), QStringLiteral("1")});
}

QImage GrabScreen() {
  QScreen* screen = QGuiApplication::primaryScreen();
  return screen ? screen->grabWindow(0).toImage() : QImage();
}

// --- The program ---------------------------------------------------------------------

TolvaneProcess::TolvaneProcess(const QString& configHome)
    : m_strConfigHome(configHome.isEmpty() ? m_configDir.path() : configHome),
      m_strRuntimeDir(m_runtimeDir.path()) {
  QFile::setPermissions(m_strRuntimeDir, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
  QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
  env.insert(QStringLiteral("XDG_CONFIG_HOME"), m_strConfigHome);
  env.insert(QStringLiteral("XDG_RUNTIME_DIR"), m_strRuntimeDir);
  env.insert(QStringLiteral("XDG_DATA_HOME"), m_dataDir.path());
  // The journals stay with this process's own folder, however the others are shared.
  env.insert(QStringLiteral("XDG_STATE_HOME"), m_dataDir.filePath(QStringLiteral("state")));
  env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("xcb"));
  env.insert(QStringLiteral("LC_ALL"), QStringLiteral("C.UTF-8"));
  m_process.setProcessEnvironment(env);
  m_process.setProcessChannelMode(QProcess::MergedChannels);
}

TolvaneProcess::~TolvaneProcess() { KillAndReap(m_process); }

void TolvaneProcess::SetDisplay(const QString& display) {
  QProcessEnvironment env = m_process.processEnvironment();
  env.insert(QStringLiteral("DISPLAY"), display);
  m_process.setProcessEnvironment(env);
}

void TolvaneProcess::UseDataHome(const QString& dataHome) {
  m_strDataHome = dataHome;
  QProcessEnvironment env = m_process.processEnvironment();
  env.insert(QStringLiteral("XDG_DATA_HOME"), dataHome);
  m_process.setProcessEnvironment(env);
}

void TolvaneProcess::UseRuntimeDir(const QString& runtimeDir) {
  m_strRuntimeDir = runtimeDir;
  QProcessEnvironment env = m_process.processEnvironment();
  env.insert(QStringLiteral("XDG_RUNTIME_DIR"), m_strRuntimeDir);
  m_process.setProcessEnvironment(env);
}

bool TolvaneProcess::Start(const QStringList& arguments) {
  m_process.start(QStringLiteral(TOLVANE_BINARY), arguments);
  return m_process.waitForStarted(kWaitMs);
}

int TolvaneProcess::WaitForEnd(int timeoutMs) {
  if (!WaitForExit(m_process, timeoutMs)) {
    KillAndReap(m_process);
    return -1;
  }
  return m_process.exitStatus() == QProcess::NormalExit ? m_process.exitCode() : -1;
}

void TolvaneProcess::Kill() { KillAndReap(m_process); }

QString TolvaneProcess::WaitForWindow() { return FindWindow(QStringLiteral("^Tolvane")); }

int TolvaneProcess::Terminate(qint64* elapsedMs) {
  if (m_process.state() == QProcess::NotRunning) return -1;
  QElapsedTimer timer;
  timer.start();
  ::kill(static_cast<pid_t>(m_process.processId()), SIGTERM);
  const bool ended = WaitForExit(m_process, kWaitMs);
  if (elapsedMs) *elapsedMs = timer.elapsed();
  if (!ended) {
    KillAndReap(m_process);
    return -1;
  }
  return m_process.exitStatus() == QProcess::NormalExit ? m_process.exitCode() : -1;
}

QString TolvaneProcess::Output() {
  m_output += m_process.readAll();
  QString text = QString::fromUtf8(m_output);
  if (m_process.error() != QProcess::UnknownError) {
    text.prepend(QStringLiteral("[%1]\n").arg(m_process.errorString()));
  }
  return text;
}

// --- Files and screenshots -------------------------------------------------------------

std::vector<std::string> IniSectionLines(const QString& path, const std::string& section) {
  QFile file(path);
  std::vector<std::string> lines;
  if (!file.open(QIODevice::ReadOnly)) return lines;
  const std::string header = "[" + section + "]";
  bool inSection = false;
  for (QByteArray line : file.readAll().split('\n')) {
    if (line.endsWith('\r')) line.chop(1);
    if (line.startsWith('[')) {
      inSection = line.toStdString() == header;
      continue;
    }
    if (inSection && !line.isEmpty()) lines.push_back(line.toStdString());
  }
  return lines;
}

void SaveScreenshot(const QString& name) {
  const QString folder = qEnvironmentVariable("TOLVANE_E2E_SHOTS");
  if (folder.isEmpty()) return;
  RunTool(QStringLiteral("xwd"), {QStringLiteral("-root"), QStringLiteral("-silent"),
                                  QStringLiteral("-out"), QDir(folder).filePath(name + ".xwd")});
}

}  // namespace e2e
