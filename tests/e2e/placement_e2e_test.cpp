#include <QDir>
#include <QFile>
#include <QProcess>
#include <QRect>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <cstdlib>

#include "e2e/e2e_support.h"

namespace {

using e2e::RunTool;
using e2e::TolvaneProcess;
using e2e::WaitUntil;

// An X server of its own with the openbox window manager, which gives windows real frames
// and title bars. Display numbers 60 to 69 only, the first free one.
class FramedDisplay {
 public:
  ~FramedDisplay() {
    Stop(m_windowManager);
    Stop(m_server);
  }

  bool Start(QString* error) {
    for (int number = 60; number <= 69; ++number) {
      if (QFile::exists(QStringLiteral("/tmp/.X%1-lock").arg(number))) continue;
      m_strDisplay = QStringLiteral(":%1").arg(number);
      m_server.start(QStringLiteral("Xvfb"), {m_strDisplay, QStringLiteral("-screen"),
                                              QStringLiteral("0"), QStringLiteral("1280x1024x24"),
                                              QStringLiteral("-nolisten"), QStringLiteral("tcp")});
      if (!m_server.waitForStarted(e2e::kWaitMs)) continue;
      if (WaitUntil([&] { return m_server.state() != QProcess::Running || Answers(); })) {
        if (m_server.state() == QProcess::Running) return StartWindowManager(error);
      }
      Stop(m_server);
    }
    *error = QStringLiteral("no free display between :60 and :69");
    return false;
  }

  QString Display() const { return m_strDisplay; }

  e2e::ToolResult Tool(const QString& program, const QStringList& arguments) const {
    return RunTool(program, arguments, e2e::kWaitMs, m_strDisplay);
  }

 private:
  bool Answers() const {
    return Tool(QStringLiteral("xprop"), {QStringLiteral("-root"), QStringLiteral("-len"),
                                          QStringLiteral("0")})
               .exitCode == 0;
  }

  bool StartWindowManager(QString* error) {
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("DISPLAY"), m_strDisplay);
    m_windowManager.setProcessEnvironment(env);
    m_windowManager.setProcessChannelMode(QProcess::MergedChannels);
    m_windowManager.start(QStringLiteral("openbox"), {});
    // openbox names itself on the root window once it manages the screen; on a busy
    // machine it has been seen to take more than the usual wait.
    const auto namedOrGone = [&] {
      return m_windowManager.state() == QProcess::NotRunning ||
             Tool(QStringLiteral("xprop"),
                  {QStringLiteral("-root"), QStringLiteral("_NET_SUPPORTING_WM_CHECK")})
                 .out.contains("window id");
    };
    const bool managing = m_windowManager.waitForStarted(e2e::kWaitMs) &&
                          WaitUntil(namedOrGone, 3 * e2e::kWaitMs) &&
                          m_windowManager.state() == QProcess::Running;
    if (!managing) {
      *error = QStringLiteral("openbox did not start on %1: %2")
                   .arg(m_strDisplay, QString::fromLocal8Bit(m_windowManager.readAll()));
    }
    return managing;
  }

  static void Stop(QProcess& process) {
    if (process.state() == QProcess::NotRunning) return;
    process.terminate();
    if (!process.waitForFinished(3000)) {
      process.kill();
      process.waitForFinished(1000);
    }
  }

  QString m_strDisplay;
  QProcess m_server;
  QProcess m_windowManager;
};

// The window's outer rectangle, frame and title bar included: the client's place on the
// screen (xwininfo) widened by the frame extents the window manager publishes. Null while
// the window has no frame yet.
QRect OuterRect(const FramedDisplay& display, const QString& window) {
  const QByteArray info = display.Tool(QStringLiteral("xwininfo"), {QStringLiteral("-id"), window}).out;
  const QByteArray extents =
      display.Tool(QStringLiteral("xprop"), {QStringLiteral("-id"), window,
                                             QStringLiteral("_NET_FRAME_EXTENTS")})
          .out;
  auto field = [&](const char* label) {
    const int at = info.indexOf(label);
    return at < 0 ? -1 : info.mid(at + qstrlen(label)).trimmed().split('\n').front().toInt();
  };
  const int equals = extents.indexOf('=');
  if (equals < 0) return {};
  const QList<QByteArray> e = extents.mid(equals + 1).split(',');
  if (e.size() != 4) return {};
  const int left = e[0].trimmed().toInt();
  const int right = e[1].trimmed().toInt();
  const int top = e[2].trimmed().toInt();
  const int bottom = e[3].trimmed().toInt();
  return QRect(field("Absolute upper-left X:") - left, field("Absolute upper-left Y:") - top,
               field("Width:") + left + right, field("Height:") + top + bottom);
}

bool Near(const QRect& a, const QRect& b) {
  return std::abs(a.left() - b.left()) <= 2 && std::abs(a.top() - b.top()) <= 2 &&
         std::abs(a.right() - b.right()) <= 2 && std::abs(a.bottom() - b.bottom()) <= 2;
}

std::string Text(const QRect& r) {
  return QStringLiteral("(%1, %2) %3x%4").arg(r.x()).arg(r.y()).arg(r.width()).arg(r.height())
      .toStdString();
}

// Under a window manager the saved rectangle is the frame's: the title bar starts on the
// screen, and a window moved and ended comes back where it was.
TEST(PlacementE2ETest, FramedWindowComesBackWhereItWas) {
  if (QStandardPaths::findExecutable(QStringLiteral("openbox")).isEmpty()) {
    GTEST_SKIP() << "openbox is not installed (scripts/install-deps.sh installs it)";
  }
  FramedDisplay display;
  QString error;
  ASSERT_TRUE(display.Start(&error)) << error.toStdString();
  QTemporaryDir configHome;

  QString window;
  auto startOn = [&](TolvaneProcess& program) {
    program.SetDisplay(display.Display());
    if (!program.Start()) return false;
    const e2e::ToolResult found = display.Tool(
        QStringLiteral("xdotool"), {QStringLiteral("search"), QStringLiteral("--sync"),
                                    QStringLiteral("--onlyvisible"), QStringLiteral("--name"),
                                    QStringLiteral("^Tolvane")});
    window = QString::fromLatin1(found.out).section(QLatin1Char('\n'), 0, 0).trimmed();
    return !window.isEmpty();
  };

  QRect outer;
  {
    TolvaneProcess first(configHome.path());
    ASSERT_TRUE(startOn(first)) << first.Output().toStdString();
    // The default rectangle is the outer one, and the window is brought to it once framed.
    const QRect expected(10, 10, 490, 390);
    EXPECT_TRUE(WaitUntil([&] { return Near(outer = OuterRect(display, window), expected); }))
        << Text(outer);
    EXPECT_GE(outer.top(), 0) << "the title bar starts above the screen";

    display.Tool(QStringLiteral("xdotool"), {QStringLiteral("windowmove"), window,
                                             QStringLiteral("300"), QStringLiteral("200")});
    ASSERT_TRUE(WaitUntil([&] {
      outer = OuterRect(display, window);
      return outer.isValid() && outer.top() > 100;
    })) << Text(outer);
    EXPECT_EQ(first.Terminate(), 0) << first.Output().toStdString();
  }
  const QString ini = QDir(configHome.path()).filePath(QStringLiteral("tolvane.INI"));
  const std::vector<std::string> lines = e2e::IniSectionLines(ini, "Window Size");
  ASSERT_FALSE(lines.empty());
  char rect[64];
  std::snprintf(rect, sizeof rect, "Rect=%04d %04d %04d %04d", outer.left(), outer.top(),
                outer.left() + outer.width(), outer.top() + outer.height());
  EXPECT_EQ(lines.front(), rect);

  TolvaneProcess second(configHome.path());
  ASSERT_TRUE(startOn(second)) << second.Output().toStdString();
  QRect again;
  EXPECT_TRUE(WaitUntil([&] { return Near(again = OuterRect(display, window), outer); }))
      << Text(again) << " instead of " << Text(outer);
  EXPECT_EQ(second.Terminate(), 0) << second.Output().toStdString();
}

}  // namespace
