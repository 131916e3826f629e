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

TEST_F(StartupE2ETest, FirstRunShowsWindowAndWritesDefaultSettingsOnSigterm) {
  TolvaneProcess program;
  ASSERT_TRUE(program.Start()) << program.Output().toStdString();
  const QString window = program.WaitForWindow();
  ASSERT_FALSE(window.isEmpty()) << program.Output().toStdString();
  EXPECT_EQ(e2e::WindowName(window), QStringLiteral("Tolvane - Tlvn1"));
  EXPECT_EQ(e2e::WindowGeometry(window), (std::vector<int>{10, 10, 490, 390}));
  e2e::SaveScreenshot(QStringLiteral("first_run"));

  EXPECT_EQ(program.Terminate(), 0) << program.Output().toStdString();
  const QString ini = QDir(program.ConfigHome()).filePath(QStringLiteral("tolvane.INI"));
  EXPECT_EQ(e2e::IniSectionLines(ini, "Window Size"),
            (std::vector<std::string>{"Rect=0010 0010 0500 0400", "Min=0", "Max=0", "Tool=1",
                                      "Status=1", "Icon=0", "File=", "TopMost=0", "Auto=1"}));
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

}  // namespace
