// The Wayland clipboard port against a real compositor (headless sway) and real other
// programs (wl-copy, wl-paste, our offering_source). The port is driven directly: the
// compositor offers no way to type into a window, so the program's own commands cannot
// be reached from outside; the port is the whole of what differs on Wayland. The program
// itself is checked through what the compositor shows of it: its window title.
#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QThread>
#include <gtest/gtest.h>
#include <unistd.h>

#include <clocale>
#include <cstdio>
#include <functional>
#include <memory>

#include "platform/code_page.h"
#include "platform/wayland_clipboard_port.h"

namespace {

constexpr int kWaitMs = 5000;

bool WaitUntil(const std::function<bool()>& condition, int timeoutMs = kWaitMs) {
  QElapsedTimer timer;
  timer.start();
  while (!condition()) {
    if (timer.elapsed() > timeoutMs) return false;
    QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    QThread::msleep(5);
  }
  return true;
}

// Headless sway for the whole run, as the unprivileged user (it refuses root), with a
// runtime folder of its own; our clients reach its socket by absolute path.
class SwayServer {
 public:
  ~SwayServer() {
    if (m_process.state() != QProcess::NotRunning) {
      m_process.kill();
      m_process.waitForFinished(kWaitMs);
    }
  }

  bool Start(QString* error) {
    if (QStandardPaths::findExecutable(QStringLiteral("sway")).isEmpty() ||
        QStandardPaths::findExecutable(QStringLiteral("setpriv")).isEmpty()) {
      *error = QStringLiteral("sway or setpriv is not installed");
      return false;
    }
    if (!m_runtimeDir.isValid() || chown(qPrintable(m_runtimeDir.path()), kNobody, kNobody) != 0) {
      *error = QStringLiteral("cannot prepare a runtime folder for uid 65534");
      return false;
    }
    QFile config(m_runtimeDir.filePath(QStringLiteral("config")));
    config.open(QIODevice::WriteOnly);
    config.write("output HEADLESS-1 resolution 1024x768\n");
    config.close();
    QProcessEnvironment env;
    env.insert(QStringLiteral("PATH"), QStringLiteral("/usr/bin:/bin"));
    env.insert(QStringLiteral("XDG_RUNTIME_DIR"), m_runtimeDir.path());
    env.insert(QStringLiteral("WLR_BACKENDS"), QStringLiteral("headless"));
    env.insert(QStringLiteral("WLR_LIBINPUT_NO_DEVICES"), QStringLiteral("1"));
    env.insert(QStringLiteral("WLR_RENDERER"), QStringLiteral("pixman"));
    m_process.setProcessEnvironment(env);
    m_process.setProcessChannelMode(QProcess::MergedChannels);
    m_process.start(QStringLiteral("setpriv"),
                    {QStringLiteral("--reuid=65534"), QStringLiteral("--regid=65534"),
                     QStringLiteral("--clear-groups"), QStringLiteral("sway"),
                     QStringLiteral("-c"), config.fileName()});
    const QDir dir(m_runtimeDir.path());
    const bool bUp = WaitUntil([&] {
      return m_process.state() == QProcess::Running &&
             !dir.entryList({QStringLiteral("wayland-*")}, QDir::System).filter(
                  QRegularExpression(QStringLiteral("^wayland-\\d+$"))).isEmpty();
    });
    if (!bUp) {
      *error = QStringLiteral("sway did not start: ") + QString::fromLocal8Bit(m_process.readAll());
      return false;
    }
    const QString socket =
        dir.entryList({QStringLiteral("wayland-*")}, QDir::System)
            .filter(QRegularExpression(QStringLiteral("^wayland-\\d+$")))
            .first();
    m_strSocket = dir.filePath(socket);
    return true;
  }

  QString Socket() const { return m_strSocket; }
  QString IpcSocket() const {
    const QStringList found = QDir(m_runtimeDir.path())
                                  .entryList({QStringLiteral("sway-ipc.*.sock")}, QDir::System);
    return found.isEmpty() ? QString() : QDir(m_runtimeDir.path()).filePath(found.first());
  }
  QString RuntimeDir() const { return m_runtimeDir.path(); }

 private:
  static constexpr uid_t kNobody = 65534;
  QTemporaryDir m_runtimeDir;
  QProcess m_process;
  QString m_strSocket;
};

SwayServer* g_sway = nullptr;
QString g_skipReason;

struct Tool {
  bool bFinished = false;
  int exitCode = -1;
  QByteArray out;
};

Tool RunTool(const QString& program, const QStringList& arguments,
             const QByteArray& input = {}, int timeoutMs = kWaitMs) {
  QProcess process;
  process.start(program, arguments);
  Tool tool;
  if (!process.waitForStarted(timeoutMs)) return tool;
  if (!input.isNull()) {
    process.write(input);
    process.closeWriteChannel();
  }
  // The event loop keeps running: wl-paste may read a selection this process serves.
  tool.bFinished = WaitUntil([&] { return process.state() == QProcess::NotRunning; }, timeoutMs);
  if (!tool.bFinished) process.kill();
  process.waitForFinished(1000);
  tool.exitCode = process.exitCode();
  tool.out = process.readAllStandardOutput();
  return tool;
}

QString HelperPath() { return QStringLiteral(TOLVANE_WAYLAND_HELPERS "/offering_source"); }

class WaylandClipboardE2ETest : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!g_sway) GTEST_SKIP() << qPrintable(g_skipReason);
    m_pPort = platform::WaylandClipboardPort::Create();
    ASSERT_TRUE(m_pPort) << "the compositor offers no data-control protocol";
    QObject::connect(m_pPort.get(), &platform::ClipboardPort::Changed, [this] { ++m_nChanges; });
    // The read at start comes after Create; the tests count the notices after it.
    ASSERT_TRUE(WaitUntil([this] { return !m_pPort->StartupReadPending(); }));
    m_nChanges = 0;
  }

  // Copies through wl-copy and waits for the port to notice. Handing 50 MB to wl-copy
  // takes seconds on a busy machine.
  void CopyWithWlCopy(const QByteArray& utf8) {
    const int before = m_nChanges;
    const Tool copy = RunTool(QStringLiteral("wl-copy"), {}, utf8, 20000);
    ASSERT_TRUE(copy.bFinished && copy.exitCode == 0);
    ASSERT_TRUE(WaitUntil([&] { return m_nChanges > before; }, 20000));
  }

  QByteArray ReadUtf8() {
    std::string text;
    if (m_pPort->ReadText(text) != platform::ClipboardStatus::Ok) return "<no text>";
    const std::string utf8 = platform::ToUtf8(text, platform::SystemCodePage());
    return QByteArray(utf8.data(), static_cast<qsizetype>(utf8.size()));
  }

  std::unique_ptr<platform::WaylandClipboardPort> m_pPort;
  int m_nChanges = 0;
};

TEST_F(WaylandClipboardE2ETest, CopiesOfOtherProgramsArriveByteForByte) {
  const QByteArray texts[] = {
      "a",
      "b",
      "first line\nsecond line\n",
      "\xe6\x97\xa5\xe6\x9c\xac\xe8\xaa\x9e \xef\xbd\xb6\xef\xbe\x80\xef\xbd\xb6\xef\xbe\x85",
  };
  for (const QByteArray& text : texts) {
    CopyWithWlCopy(text);
    EXPECT_EQ(ReadUtf8(), text);
    EXPECT_TRUE(m_pPort->HasText());
  }
}

TEST_F(WaylandClipboardE2ETest, OwnWritesAndClearsGiveOneNoticeEachAndReachOthers) {
  ASSERT_EQ(m_pPort->WriteText("put back"), platform::ClipboardStatus::Ok);
  EXPECT_EQ(m_nChanges, 1);  // at once, inside the call
  const Tool paste = RunTool(QStringLiteral("wl-paste"), {QStringLiteral("--no-newline")});
  EXPECT_EQ(paste.out, "put back");
  EXPECT_TRUE(m_pPort->Clear());
  EXPECT_EQ(m_nChanges, 2);
  // The compositor's report of both comes back, and is swallowed.
  WaitUntil([] { return false; }, 500);
  EXPECT_EQ(m_nChanges, 2);
  EXPECT_NE(RunTool(QStringLiteral("wl-paste"), {}).exitCode, 0);
  // Other programs' copies still count after ours.
  CopyWithWlCopy("after");
  EXPECT_EQ(ReadUtf8(), "after");
}

TEST_F(WaylandClipboardE2ETest, PasswordManagerHintKeepsOnlySecretsOut) {
  struct Case {
    const char* hint;
    bool bCaptured;
  } cases[] = {{"secret", false}, {"public", true}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.hint);
    const int before = m_nChanges;
    QProcess source;
    source.start(HelperPath(), {QStringLiteral("hint"), QString::fromLatin1(c.hint),
                                QStringLiteral("hunter2")});
    ASSERT_TRUE(WaitUntil([&] { return m_nChanges > before; }));
    EXPECT_EQ(ReadUtf8(), c.bCaptured ? QByteArray("hunter2") : QByteArray("<no text>"));
    EXPECT_EQ(m_pPort->HasText(), c.bCaptured);
    EXPECT_TRUE(m_pPort->HasAnyFormat());
    CopyWithWlCopy("next");  // takes the selection: the helper ends
    source.waitForFinished(kWaitMs);
  }
}

TEST_F(WaylandClipboardE2ETest, SilentSourceIsGivenUpAndLaterCopiesArrive) {
  const int before = m_nChanges;
  QProcess source;
  source.start(HelperPath(), {QStringLiteral("silent"), QStringLiteral("never sent")});
  QElapsedTimer timer;
  timer.start();
  ASSERT_TRUE(WaitUntil([&] { return m_nChanges > before; }));
  EXPECT_LT(timer.elapsed(), 3000);
  EXPECT_EQ(ReadUtf8(), "<no text>");
  EXPECT_FALSE(m_pPort->HasText()) << "as on X11: nothing to paste";
  EXPECT_TRUE(m_pPort->HasAnyFormat());
  CopyWithWlCopy("after silence");
  EXPECT_EQ(ReadUtf8(), "after silence");
  source.waitForFinished(kWaitMs);
}

TEST_F(WaylandClipboardE2ETest, FiftyMegabyteTextArrivesWhole) {
  QByteArray big(50 * 1024 * 1024, 'x');
  for (qsizetype i = 0; i < big.size(); i += 4099) big[i] = '\n';
  CopyWithWlCopy(big);
  const QByteArray read = ReadUtf8();
  EXPECT_EQ(read.size(), big.size());
  EXPECT_TRUE(read == big);
}

// The title of the first window of `appId` the compositor shows; empty when none.
QString WindowTitle(const QJsonObject& node, const QString& appId) {
  if (node.value(QStringLiteral("app_id")).toString() == appId) {
    return node.value(QStringLiteral("name")).toString();
  }
  for (const char* children : {"nodes", "floating_nodes"}) {
    for (const QJsonValue child : node.value(QLatin1String(children)).toArray()) {
      const QString title = WindowTitle(child.toObject(), appId);
      if (!title.isEmpty()) return title;
    }
  }
  return {};
}

QString TolvaneTitle() {
  const Tool tree = RunTool(QStringLiteral("swaymsg"),
                            {QStringLiteral("-s"), g_sway->IpcSocket(),
                             QStringLiteral("-t"), QStringLiteral("get_tree")});
  return WindowTitle(QJsonDocument::fromJson(tree.out).object(), QStringLiteral("tolvane"));
}

// The program on Wayland with an empty clipboard: its new document is unchanged until
// another program copies, and the capture marks it changed.
TEST(WaylandProgramE2ETest, CopyOfAnotherProgramIsCapturedByTheProgram) {
  if (!g_sway) GTEST_SKIP() << qPrintable(g_skipReason);
  ASSERT_TRUE(RunTool(QStringLiteral("wl-copy"), {QStringLiteral("--clear")}).bFinished);
  QTemporaryDir home;
  QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
  env.insert(QStringLiteral("HOME"), home.path());
  env.insert(QStringLiteral("XDG_CONFIG_HOME"), home.filePath(QStringLiteral(".config")));
  env.insert(QStringLiteral("XDG_DATA_HOME"), home.filePath(QStringLiteral(".local/share")));
  env.insert(QStringLiteral("XDG_STATE_HOME"), home.filePath(QStringLiteral(".local/state")));
  env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("wayland"));
  QProcess program;
  program.setProcessEnvironment(env);
  program.start(QStringLiteral(TOLVANE_BINARY), {});
  ASSERT_TRUE(WaitUntil([] { return !TolvaneTitle().isEmpty(); }));
  const QString unchanged = TolvaneTitle();
  EXPECT_FALSE(unchanged.endsWith(QLatin1String(" *"))) << qPrintable(unchanged);
  RunTool(QStringLiteral("wl-copy"), {}, "captured");
  EXPECT_TRUE(WaitUntil([&] { return TolvaneTitle() == unchanged + QStringLiteral(" *"); }))
      << qPrintable(TolvaneTitle());
  program.kill();
  program.waitForFinished(kWaitMs);
}

}  // namespace

int main(int argc, char** argv) {
  ::testing::InitGoogleTest(&argc, argv);
  std::setlocale(LC_ALL, "C.UTF-8");
  qputenv("QT_QPA_PLATFORM", "offscreen");
  QCoreApplication app(argc, argv);

  SwayServer sway;
  if (!sway.Start(&g_skipReason)) {
    std::fprintf(stderr, "e2e_wayland: skipping: %s\n", qPrintable(g_skipReason));
  } else {
    qputenv("WAYLAND_DISPLAY", sway.Socket().toUtf8());
    qputenv("XDG_RUNTIME_DIR", sway.RuntimeDir().toUtf8());
    g_sway = &sway;
  }
  return RUN_ALL_TESTS();
}
