// Lists in files with the real program: a file named on the command line, a missing one,
// and Ctrl+S through the real save dialog.
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include "e2e/e2e_support.h"

namespace {

using e2e::ClipboardOwner;
using e2e::TolvaneProcess;

class FileE2ETest : public ::testing::Test {
 protected:
  void TearDown() override { ClipboardOwner::KillAll(); }

  QByteArray ReadFile(const QString& path) const {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
  }

  QTemporaryDir m_files;
};

TEST_F(FileE2ETest, FileNamedOnTheCommandLineOpens) {
  const QString path = m_files.filePath(QStringLiteral("list.tvn"));
  {
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(QByteArray("\x02\x00\x03" "abc" "\x02" "de", 9));
  }
  TolvaneProcess program;
  ASSERT_TRUE(program.Start({path})) << program.Output().toStdString();
  const QString window = e2e::FindWindow(QStringLiteral("^Tolvane - list.tvn$"));
  EXPECT_FALSE(window.isEmpty()) << program.Output().toStdString();
  EXPECT_EQ(program.Terminate(), 0);
}

// The open failure is told in a box; once it is answered the program goes on with Tlvn1.
TEST_F(FileE2ETest, MissingFileIsToldThenANewListOpens) {
  TolvaneProcess program;
  ASSERT_TRUE(program.Start({m_files.filePath(QStringLiteral("gone.tvn"))}));
  const QString box = e2e::FindWindow(QStringLiteral("^Tolvane$"));
  ASSERT_FALSE(box.isEmpty()) << program.Output().toStdString();
  ASSERT_TRUE(e2e::FocusWindow(box));
  ASSERT_TRUE(e2e::SendKeys({QStringLiteral("Return")}));
  EXPECT_FALSE(e2e::FindWindow(QStringLiteral("^Tolvane - Tlvn1$")).isEmpty())
      << program.Output().toStdString();
  EXPECT_EQ(program.Terminate(), 0);
}

TEST_F(FileE2ETest, CtrlSThroughTheSaveDialogWritesTheList) {
  ClipboardOwner* owner = ClipboardOwner::Copy("abc");
  ASSERT_NE(owner, nullptr);
  TolvaneProcess program;
  ASSERT_TRUE(program.Start()) << program.Output().toStdString();
  const QString window = program.WaitForWindow();
  ASSERT_FALSE(window.isEmpty());
  ASSERT_TRUE(owner->WaitUntilRead());
  ASSERT_TRUE(e2e::FocusWindow(window));
  ASSERT_TRUE(e2e::SendKeys({QStringLiteral("ctrl+s")}));

  const QString dialog = e2e::FindWindow(QStringLiteral("名前を付けて保存"));
  ASSERT_FALSE(dialog.isEmpty()) << program.Output().toStdString();
  ASSERT_TRUE(e2e::FocusWindow(dialog));
  const QString path = m_files.filePath(QStringLiteral("saved.tvn"));
  ASSERT_TRUE(e2e::SendKeys({QStringLiteral("ctrl+a")}));
  ASSERT_TRUE(e2e::TypeText(path));
  ASSERT_TRUE(e2e::SendKeys({QStringLiteral("Return")}));

  EXPECT_TRUE(e2e::WaitUntil([&] { return QFile::exists(path); })) << program.Output().toStdString();
  EXPECT_TRUE(e2e::WaitUntil([&] { return ReadFile(path) == QByteArray("\x01\x00\x03" "abc", 6); }))
      << ReadFile(path).toHex().toStdString();
  EXPECT_FALSE(e2e::FindWindow(QStringLiteral("^Tolvane - saved.tvn$")).isEmpty());
  EXPECT_EQ(program.Terminate(), 0);
}

}  // namespace
