// The Wayland clipboard port against a real compositor (headless sway) and real other
// programs (wl-copy, wl-paste, our offering_source), and against our own test compositor
// offering either data-control protocol, which plays the other programs itself. The port
// is driven directly: the compositor offers no way to type into a window, so the
// program's own commands cannot be reached from outside; the port is the whole of what
// differs on Wayland. The program itself is checked through what sway shows of it: its
// window title.
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
#include <optional>
#include <vector>

#include "platform/code_page.h"
#include "platform/wayland_clipboard_port.h"
#include "support/test_compositor.h"

namespace {

using testing_support::TestCompositor;

constexpr int kWaitMs = 5000;
// wl-copy asks xdg-mime for the type it is not given, which calls a one-letter text
// application/octet-stream: copies that mean text say so.
constexpr char kTextType[] = "text/plain;charset=utf-8";

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

SwayServer* g_swayServer = nullptr;
QString g_skipReason;

// Sway, started when the first row needs it (rows on our own compositor start no other
// process); null when it cannot start.
SwayServer* Sway() {
  static SwayServer* running = [] {
    if (!g_swayServer->Start(&g_skipReason)) {
      std::fprintf(stderr, "e2e_wayland: skipping sway: %s\n", qPrintable(g_skipReason));
      return static_cast<SwayServer*>(nullptr);
    }
    qputenv("XDG_RUNTIME_DIR", g_swayServer->RuntimeDir().toUtf8());
    return g_swayServer;
  }();
  return running;
}

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

// Another program on the clipboard of one of the compositors. Each copy returns once it
// has been handed over; the compositor tells the port on its own time.
class Peer {
 public:
  virtual ~Peer() = default;
  virtual QString Display() const = 0;
  void CopyText(const QByteArray& utf8) { CopyTyped(kTextType, utf8); }
  // Offers `bytes` as `type` only.
  virtual void CopyTyped(const char* type, const QByteArray& bytes) = 0;
  // Offers the text beside the password managers' hint.
  virtual void CopyWithHint(const char* hint, const QByteArray& utf8) = 0;
  // Offers a text and never answers a request for it.
  virtual void CopySilent(const QByteArray& utf8) = 0;
  virtual void CopyPrimary(const QByteArray& utf8) = 0;
  // The clipboard's text as a pasting program reads it; none when there is none.
  virtual std::optional<QByteArray> Paste() = 0;
};

// Headless sway with wl-clipboard and our offering_source.
class SwayPeer : public Peer {
 public:
  ~SwayPeer() override {
    for (const auto& source : m_sources) {
      source->kill();
      source->waitForFinished(kWaitMs);
    }
  }
  QString Display() const override { return Sway()->Socket(); }
  void CopyTyped(const char* type, const QByteArray& bytes) override {
    // Handing 50 MB to wl-copy takes seconds on a busy machine.
    const Tool copy = RunTool(QStringLiteral("wl-copy"),
                              {QStringLiteral("--type"), QLatin1String(type)}, bytes, 20000);
    EXPECT_TRUE(copy.bFinished && copy.exitCode == 0) << type;
  }
  void CopyWithHint(const char* hint, const QByteArray& utf8) override {
    StartSource({QStringLiteral("hint"), QLatin1String(hint), QString::fromUtf8(utf8)});
  }
  void CopySilent(const QByteArray& utf8) override {
    StartSource({QStringLiteral("silent"), QString::fromUtf8(utf8)});
  }
  void CopyPrimary(const QByteArray& utf8) override {
    const Tool copy = RunTool(QStringLiteral("wl-copy"),
                              {QStringLiteral("--primary"), QStringLiteral("--type"),
                               QLatin1String(kTextType)}, utf8);
    EXPECT_TRUE(copy.bFinished && copy.exitCode == 0);
  }
  std::optional<QByteArray> Paste() override {
    const Tool paste = RunTool(QStringLiteral("wl-paste"), {QStringLiteral("--no-newline")});
    if (!paste.bFinished || paste.exitCode != 0) return std::nullopt;
    return paste.out;
  }

 private:
  // The source ends when another program takes the selection.
  void StartSource(const QStringList& arguments) {
    m_sources.push_back(std::make_unique<QProcess>());
    m_sources.back()->start(HelperPath(), arguments);
  }

  std::vector<std::unique_ptr<QProcess>> m_sources;
};

// Our own compositor, whose selections of its own play the other programs.
class OwnCompositorPeer : public Peer {
 public:
  explicit OwnCompositorPeer(TestCompositor::Offers offers) : m_compositor(offers) {}
  QString Display() const override { return QString::fromStdString(m_compositor.Socket()); }
  void CopyTyped(const char* type, const QByteArray& bytes) override {
    m_compositor.SetSelection({{type, bytes.toStdString()}});
  }
  void CopyWithHint(const char* hint, const QByteArray& utf8) override {
    m_compositor.SetSelection(
        {{kTextType, utf8.toStdString()}, {"x-kde-passwordManagerHint", hint}});
  }
  void CopySilent(const QByteArray&) override { m_compositor.SetSilentSelection({kTextType}); }
  void CopyPrimary(const QByteArray& utf8) override {
    m_compositor.SetPrimarySelection({{kTextType, utf8.toStdString()}});
  }
  std::optional<QByteArray> Paste() override {
    const std::optional<std::string> bytes = m_compositor.ReadSelection(kTextType);
    if (!bytes) return std::nullopt;
    return QByteArray::fromStdString(*bytes);
  }

 private:
  TestCompositor m_compositor;
};

enum class Backend { Sway, OwnExt, OwnWlr };

class WaylandClipboardE2ETest : public ::testing::TestWithParam<Backend> {
 protected:
  void SetUp() override {
    switch (GetParam()) {
      case Backend::Sway:
        if (!Sway()) GTEST_SKIP() << qPrintable(g_skipReason);
        m_pPeer = std::make_unique<SwayPeer>();
        break;
      case Backend::OwnExt:
        m_pPeer = std::make_unique<OwnCompositorPeer>(TestCompositor::kExt);
        break;
      case Backend::OwnWlr:
        m_pPeer = std::make_unique<OwnCompositorPeer>(TestCompositor::kWlr);
        break;
    }
    ASSERT_FALSE(m_pPeer->Display().isEmpty()) << "the compositor did not start";
    qputenv("WAYLAND_DISPLAY", m_pPeer->Display().toUtf8());
    m_pPort = platform::WaylandClipboardPort::Create();
    ASSERT_TRUE(m_pPort) << "the compositor offers no data-control protocol";
    QObject::connect(m_pPort.get(), &platform::ClipboardPort::Changed, [this] { ++m_nChanges; });
    // The read at start comes after Create; the tests count the notices after it.
    ASSERT_TRUE(WaitUntil([this] { return !m_pPort->StartupReadPending(); }));
    m_nChanges = 0;
  }

  // Runs one of the peer's copies and waits for the port to notice.
  void Copy(const std::function<void()>& copy) {
    const int before = m_nChanges;
    copy();
    ASSERT_TRUE(WaitUntil([&] { return m_nChanges > before; }, 20000));
  }

  QByteArray ReadUtf8() {
    std::string text;
    if (m_pPort->ReadText(text) != platform::ClipboardStatus::Ok) return "<no text>";
    const std::string utf8 = platform::ToUtf8(text, platform::SystemCodePage());
    return QByteArray(utf8.data(), static_cast<qsizetype>(utf8.size()));
  }

  // The port goes before the compositor it is connected to.
  std::unique_ptr<Peer> m_pPeer;
  std::unique_ptr<platform::WaylandClipboardPort> m_pPort;
  int m_nChanges = 0;
};

TEST_P(WaylandClipboardE2ETest, CopiesOfOtherProgramsArriveByteForByte) {
  const QByteArray texts[] = {
      "a",
      "b",
      "first line\nsecond line\n",
      "\xe6\x97\xa5\xe6\x9c\xac\xe8\xaa\x9e \xef\xbd\xb6\xef\xbe\x80\xef\xbd\xb6\xef\xbe\x85",
  };
  for (const QByteArray& text : texts) {
    Copy([&] { m_pPeer->CopyText(text); });
    EXPECT_EQ(ReadUtf8(), text);
    EXPECT_TRUE(m_pPort->HasText());
  }
}

TEST_P(WaylandClipboardE2ETest, OwnWritesAndClearsGiveOneNoticeEachAndReachOthers) {
  ASSERT_EQ(m_pPort->WriteText("put back"), platform::ClipboardStatus::Ok);
  EXPECT_EQ(m_nChanges, 1);  // at once, inside the call
  EXPECT_EQ(m_pPeer->Paste(), QByteArray("put back"));
  EXPECT_TRUE(m_pPort->Clear());
  EXPECT_EQ(m_nChanges, 2);
  // The compositor's report of both comes back, and is swallowed.
  WaitUntil([] { return false; }, 500);
  EXPECT_EQ(m_nChanges, 2);
  EXPECT_EQ(m_pPeer->Paste(), std::nullopt);
  // Other programs' copies still count after ours.
  Copy([&] { m_pPeer->CopyText("after"); });
  EXPECT_EQ(ReadUtf8(), "after");
}

TEST_P(WaylandClipboardE2ETest, PasswordManagerHintKeepsOnlySecretsOut) {
  struct Case {
    const char* hint;
    bool bCaptured;
  } cases[] = {{"secret", false}, {"public", true}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.hint);
    Copy([&] { m_pPeer->CopyWithHint(c.hint, "hunter2"); });
    EXPECT_EQ(ReadUtf8(), c.bCaptured ? QByteArray("hunter2") : QByteArray("<no text>"));
    EXPECT_EQ(m_pPort->HasText(), c.bCaptured);
    EXPECT_TRUE(m_pPort->HasAnyFormat());
    Copy([&] { m_pPeer->CopyText("next"); });
  }
}

// A source that never answers, and one that offers no text at all: each is noticed as a
// clipboard without text, and nothing is held up for the copies after it.
TEST_P(WaylandClipboardE2ETest, SourcesWithoutTextAreNoticedAndLaterCopiesArrive) {
  struct Case {
    const char* what;
    std::function<void(Peer&)> copy;
  } cases[] = {
      {"silent", [](Peer& peer) { peer.CopySilent("never sent"); }},
      {"image only", [](Peer& peer) { peer.CopyTyped("image/png", "\x89PNG\r\n\x1a\n"); }},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    QElapsedTimer timer;
    timer.start();
    Copy([&] { c.copy(*m_pPeer); });
    EXPECT_LT(timer.elapsed(), 3000);
    EXPECT_EQ(ReadUtf8(), "<no text>");
    EXPECT_FALSE(m_pPort->HasText()) << "as on X11: nothing to paste";
    EXPECT_TRUE(m_pPort->HasAnyFormat());
    Copy([&] { m_pPeer->CopyText("after"); });
    EXPECT_EQ(ReadUtf8(), "after");
  }
}

// The program keeps the clipboard only: a primary selection (selected text) is no copy.
TEST_P(WaylandClipboardE2ETest, PrimarySelectionIsNotCaptured) {
  Copy([&] { m_pPeer->CopyText("copied"); });
  const int before = m_nChanges;
  m_pPeer->CopyPrimary("selected");
  WaitUntil([] { return false; }, 500);
  EXPECT_EQ(m_nChanges, before);
  EXPECT_EQ(ReadUtf8(), "copied");
}

TEST_P(WaylandClipboardE2ETest, FiftyMegabyteTextArrivesWhole) {
  QByteArray big(50 * 1024 * 1024, 'x');
  for (qsizetype i = 0; i < big.size(); i += 4099) big[i] = '\n';
  Copy([&] { m_pPeer->CopyText(big); });
  const QByteArray read = ReadUtf8();
  EXPECT_EQ(read.size(), big.size());
  EXPECT_TRUE(read == big);
}

std::string BackendName(const ::testing::TestParamInfo<Backend>& info) {
  switch (info.param) {
    case Backend::Sway: return "Sway";
    case Backend::OwnExt: return "OwnExt";
    case Backend::OwnWlr: return "OwnWlr";
  }
  return {};
}

INSTANTIATE_TEST_SUITE_P(, WaylandClipboardE2ETest,
                         ::testing::Values(Backend::Sway, Backend::OwnExt, Backend::OwnWlr),
                         BackendName);

// Which protocol the port speaks: none without data-control, the standard name when the
// compositor offers both.
TEST(WaylandProtocolChoiceE2ETest, PortNeedsDataControlAndPrefersTheStandardName) {
  struct Case {
    const char* what;
    TestCompositor::Offers offers;
    int extDevices;
    int wlrDevices;
  } cases[] = {{"neither", TestCompositor::kNone, 0, 0}, {"both", TestCompositor::kBoth, 1, 0}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    TestCompositor compositor(c.offers);
    qputenv("WAYLAND_DISPLAY", QByteArray::fromStdString(compositor.Socket()));
    const std::unique_ptr<platform::WaylandClipboardPort> port =
        platform::WaylandClipboardPort::Create();
    ASSERT_EQ(port != nullptr, c.offers != TestCompositor::kNone);
    if (port) {
      ASSERT_TRUE(WaitUntil([&] { return !port->StartupReadPending(); }));
      bool bChanged = false;
      QObject::connect(port.get(), &platform::ClipboardPort::Changed, [&] { bChanged = true; });
      compositor.SetSelection({{kTextType, "chosen"}});
      ASSERT_TRUE(WaitUntil([&] { return bChanged; }));
      EXPECT_TRUE(port->HasText());
    }
    EXPECT_EQ(compositor.ExtDevices(), c.extDevices);
    EXPECT_EQ(compositor.WlrDevices(), c.wlrDevices);
  }
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
                            {QStringLiteral("-s"), Sway()->IpcSocket(),
                             QStringLiteral("-t"), QStringLiteral("get_tree")});
  return WindowTitle(QJsonDocument::fromJson(tree.out).object(), QStringLiteral("tolvane"));
}

// The program on Wayland with an empty clipboard: its new document is unchanged until
// another program copies, and the capture marks it changed.
TEST(WaylandProgramE2ETest, CopyOfAnotherProgramIsCapturedByTheProgram) {
  if (!Sway()) GTEST_SKIP() << qPrintable(g_skipReason);
  qputenv("WAYLAND_DISPLAY", Sway()->Socket().toUtf8());
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
  RunTool(QStringLiteral("wl-copy"), {QStringLiteral("--type"), QLatin1String(kTextType)},
          "captured");
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
  g_swayServer = &sway;
  return RUN_ALL_TESTS();
}
