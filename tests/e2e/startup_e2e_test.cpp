#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include "e2e/e2e_support.h"

namespace {

using e2e::TolvaneProcess;

class StartupE2ETest : public ::testing::Test {
 protected:
  void TearDown() override { e2e::ClipboardOwner::KillAll(); }
};

// SIGTERM ends the program as at log-off whatever is on the screen: the main window, or
// a start-up message box that nobody answers.
TEST_F(StartupE2ETest, FirstRunShowsWindowAndWritesDefaultSettingsOnSigterm) {
  QTemporaryDir files;
  const struct {
    QStringList arguments;
    QString window;
  } cases[] = {
      {{}, QStringLiteral("^Tolvane - Tlvn1$")},
      {{files.filePath(QStringLiteral("gone.tvn"))}, QStringLiteral("^Tolvane$")},
  };
  for (const auto& c : cases) {
    TolvaneProcess program;
    ASSERT_TRUE(program.Start(c.arguments)) << program.Output().toStdString();
    const QString window = e2e::FindWindow(c.window);
    ASSERT_FALSE(window.isEmpty()) << program.Output().toStdString();
    if (c.arguments.isEmpty()) {
      EXPECT_EQ(e2e::WindowGeometry(window), (std::vector<int>{10, 10, 490, 390}));
      e2e::SaveScreenshot(QStringLiteral("first_run"));
      // The window is up without an image format plugin: its pictures are the program's
      // own, and the style's standard icons are read only when first drawn.
      QFile maps(QStringLiteral("/proc/%1/maps").arg(program.ProcessId()));
      ASSERT_TRUE(maps.open(QIODevice::ReadOnly));
      EXPECT_FALSE(maps.readAll().contains("/imageformats/"));
    }

    EXPECT_EQ(program.Terminate(), 0) << c.window.toStdString() << program.Output().toStdString();
    const QString ini = QDir(program.ConfigHome()).filePath(QStringLiteral("tolvane.INI"));
    EXPECT_EQ(e2e::IniSectionLines(ini, "Window Size"),
              (std::vector<std::string>{"Rect=0010 0010 0500 0400", "Min=0", "Max=0", "Tool=1",
                                        "Status=1", "Icon=0", "File=", "TopMost=0", "Auto=1"}))
        << c.window.toStdString();
  }
}

TEST_F(StartupE2ETest, UnwritableSettingsFolderStillRunsAndEndsNormally) {
  QTemporaryDir base;
  const QString blocker = base.filePath(QStringLiteral("not-a-folder"));
  {
    QFile file(blocker);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
  }
  TolvaneProcess program(blocker + QStringLiteral("/config"));
  ASSERT_TRUE(program.Start()) << program.Output().toStdString();
  ASSERT_FALSE(program.WaitForWindow().isEmpty()) << program.Output().toStdString();

  EXPECT_EQ(program.Terminate(), 0) << program.Output().toStdString();
}

// F1 shows the program's own help window, needing no browser, at the topic of the
// window in front or of the highlighted menu item; the caption names the topic.
TEST_F(StartupE2ETest, F1ShowsTheHelpWindowAtTheTopic) {
  TolvaneProcess program;
  ASSERT_TRUE(program.Start()) << program.Output().toStdString();
  const QString window = program.WaitForWindow();
  ASSERT_FALSE(window.isEmpty()) << program.Output().toStdString();
  const struct {
    QStringList keys;
    const char* caption;
  } cases[] = {
      {{QStringLiteral("F1")}, "^Tolvane ﾍﾙﾌﾟ - 文書ｳｨﾝﾄﾞｳ$"},
      // View menu: tool bar, status bar, start minimized, start-up file.
      {{QStringLiteral("alt+v"), QStringLiteral("Down"), QStringLiteral("Down"),
        QStringLiteral("Down"), QStringLiteral("F1")},
       "^Tolvane ﾍﾙﾌﾟ - 起動時開くﾌｧｲﾙ$"},
  };
  for (const auto& c : cases) {
    ASSERT_TRUE(e2e::FocusWindow(window));
    ASSERT_TRUE(e2e::SendKeys(c.keys));
    EXPECT_FALSE(e2e::FindWindow(QString::fromUtf8(c.caption)).isEmpty())
        << c.caption << program.Output().toStdString();
  }
  e2e::SaveScreenshot(QStringLiteral("help"));
  EXPECT_EQ(program.Terminate(), 0) << program.Output().toStdString();
}

}  // namespace
