#include <gtest/gtest.h>

#include "e2e/e2e_support.h"

namespace {

using e2e::ClipboardOwner;
using e2e::TolvaneProcess;

class EditE2ETest : public ::testing::Test {
 protected:
  void TearDown() override { ClipboardOwner::KillAll(); }

  // Another program copies `text`; returns once the running program has read it.
  static void CopyAndWaitUntilRead(const char* text) {
    ClipboardOwner* owner = ClipboardOwner::Copy(text);
    ASSERT_NE(owner, nullptr);
    ASSERT_TRUE(owner->WaitUntilRead()) << "the program did not read: " << text;
  }

  // Ctrl+C in the program, then another program reads what it put on the clipboard.
  static void ExpectCopyGives(const QByteArray& expected, const char* step) {
    ASSERT_TRUE(e2e::SendKeys({QStringLiteral("ctrl+c")}));
    QByteArray last;
    ASSERT_TRUE(e2e::WaitForClipboardText(expected, &last))
        << step << ": expected \"" << expected.toStdString() << "\", read \""
        << last.toStdString() << "\"";
  }
};

// The program runs with auto paste on, so every copy made in it comes back as a capture
// and moves the copied item to the head.
TEST_F(EditE2ETest, KeyboardCopyDeleteAndUndoMoveTextThroughTheClipboard) {
  TolvaneProcess program;
  ASSERT_TRUE(program.Start()) << program.Output().toStdString();
  const QString window = program.WaitForWindow();
  ASSERT_FALSE(window.isEmpty()) << program.Output().toStdString();

  ASSERT_NO_FATAL_FAILURE(CopyAndWaitUntilRead("first text"));
  ASSERT_NO_FATAL_FAILURE(CopyAndWaitUntilRead("second text"));
  ASSERT_NO_FATAL_FAILURE(CopyAndWaitUntilRead("third text"));
  // List: third, second, first; the head is selected.

  ASSERT_TRUE(e2e::FocusWindow(window));
  ASSERT_TRUE(e2e::SendKeys({QStringLiteral("Down")}));
  ASSERT_NO_FATAL_FAILURE(ExpectCopyGives("second text", "after Down"));
  // The capture of our own copy: second, third, first; "second" selected at the head.

  ASSERT_TRUE(e2e::SendKeys({QStringLiteral("Delete")}));
  // "third" took the deleted item's place and is selected.
  ASSERT_NO_FATAL_FAILURE(ExpectCopyGives("third text", "after Delete"));

  ASSERT_TRUE(e2e::SendKeys({QStringLiteral("ctrl+z")}));
  // Back at the head and selected: Up stays on it.
  ASSERT_TRUE(e2e::SendKeys({QStringLiteral("Up")}));
  ASSERT_NO_FATAL_FAILURE(ExpectCopyGives("second text", "after Ctrl+Z"));
  e2e::SaveScreenshot(QStringLiteral("edit_after_undo"));

  EXPECT_EQ(program.Terminate(), 0) << program.Output().toStdString();
}

}  // namespace
