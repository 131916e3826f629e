#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include "document/tolvane_doc.h"
#include "e2e/e2e_support.h"
#include "support/fake_clipboard_port.h"

namespace {

using e2e::TolvaneProcess;

class InstanceE2ETest : public ::testing::Test {
 protected:
  void SetUp() override {
    QFile file(List());
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
  }
  QString List() const { return m_files.filePath(QStringLiteral("list.tvn")); }
  // Whether this build reads documents from files (an empty file is an empty list).
  bool LoadingWorks() const {
    testing_support::FakeClipboardPort clipboard;
    doc::ClipboardCapture capture(clipboard);
    doc::CTolvaneDoc probe(capture);
    return probe.OnOpenDocument(List());
  }
  // Starts a program and waits for its window.
  QString StartFirst(TolvaneProcess& program) {
    if (!program.Start()) return {};
    return program.WaitForWindow();
  }

  QTemporaryDir m_files;
};

TEST_F(InstanceE2ETest, SecondStartHandsItsFileToTheFirstAndEnds) {
  TolvaneProcess first;
  const QString window = StartFirst(first);
  ASSERT_FALSE(window.isEmpty()) << first.Output().toStdString();

  // With no file, a second start only brings the first to the front.
  TolvaneProcess bare(first.ConfigHome());
  bare.UseRuntimeDir(first.RuntimeDir());
  ASSERT_TRUE(bare.Start());
  EXPECT_EQ(bare.WaitForEnd(), 0) << bare.Output().toStdString();

  TolvaneProcess second(first.ConfigHome());
  second.UseRuntimeDir(first.RuntimeDir());
  // A relative name: the first program runs elsewhere and gets the absolute path.
  const QString previous = QDir::currentPath();
  QDir::setCurrent(m_files.path());
  const bool started = second.Start({QStringLiteral("list.tvn")});
  QDir::setCurrent(previous);
  ASSERT_TRUE(started);
  EXPECT_EQ(second.WaitForEnd(), 0) << second.Output().toStdString();

  if (LoadingWorks()) {
    EXPECT_TRUE(e2e::WaitUntil([&] {
      return e2e::WindowName(window) == QStringLiteral("Tolvane - list.tvn");
    })) << e2e::WindowName(window).toStdString();
  }
  EXPECT_EQ(first.Terminate(), 0) << first.Output().toStdString();
}

TEST_F(InstanceE2ETest, SocketLeftByACrashIsReplaced) {
  TolvaneProcess crashed;
  ASSERT_FALSE(StartFirst(crashed).isEmpty()) << crashed.Output().toStdString();
  crashed.Kill();
  ASSERT_TRUE(QFile::exists(QDir(crashed.RuntimeDir()).filePath(QStringLiteral("tolvane.sock"))));

  TolvaneProcess next(crashed.ConfigHome());
  next.UseRuntimeDir(crashed.RuntimeDir());
  ASSERT_FALSE(StartFirst(next).isEmpty()) << next.Output().toStdString();
  TolvaneProcess second(crashed.ConfigHome());
  second.UseRuntimeDir(crashed.RuntimeDir());
  ASSERT_TRUE(second.Start());
  EXPECT_EQ(second.WaitForEnd(), 0) << second.Output().toStdString();
  EXPECT_EQ(next.Terminate(), 0) << next.Output().toStdString();
}

}  // namespace

namespace {

// Start-up writes the desktop files into the data folder; /Unregister removes exactly
// those, says so, and ends with status 0.
TEST(DesktopE2ETest, UnregisterRemovesTheDesktopFiles) {
  e2e::TolvaneProcess program;
  ASSERT_TRUE(program.Start()) << program.Output().toStdString();
  ASSERT_FALSE(program.WaitForWindow().isEmpty());
  const QString entry = program.DataHome() + QStringLiteral("/applications/tolvane.desktop");
  const QString mime = program.DataHome() + QStringLiteral("/mime/packages/tolvane.xml");
  ASSERT_TRUE(e2e::WaitUntil([&] { return QFile::exists(entry) && QFile::exists(mime); }));
  EXPECT_EQ(program.Terminate(), 0);

  e2e::TolvaneProcess unregister;
  unregister.UseRuntimeDir(program.RuntimeDir());
  unregister.UseDataHome(program.DataHome());
  ASSERT_TRUE(unregister.Start({QStringLiteral("/Unregister")}));
  const QString box = e2e::FindWindow(QStringLiteral("^Tolvane$"));
  ASSERT_FALSE(box.isEmpty()) << unregister.Output().toStdString();
  ASSERT_TRUE(e2e::FocusWindow(box));
  ASSERT_TRUE(e2e::SendKeys({QStringLiteral("Return")}));
  EXPECT_EQ(unregister.WaitForEnd(), 0);
  EXPECT_FALSE(QFile::exists(entry));
  EXPECT_FALSE(QFile::exists(mime));
}

}  // namespace
