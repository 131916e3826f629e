#include <QSignalSpy>
#include <algorithm>
#include <gtest/gtest.h>
#include <memory>

#include "app/main_frame.h"
#include "app/tolvane_app.h"
#include "document/tolvane_doc.h"
#include "e2e/e2e_support.h"
#include "e2e/x11_app_fixture.h"
#include "platform/x11_clipboard_port.h"
#include "support/app_fixture.h"

namespace {

using e2e::ClipboardOwner;
using ItemList = std::vector<std::string>;

class CaptureE2ETest : public e2e::X11AppTest {
 protected:
  // Another program copies `text`; returns once this program has handled the change.
  void CopyAndWait(const std::string& text) {
    const qsizetype changesBefore = Notices();
    ASSERT_NE(ClipboardOwner::Copy(QByteArray::fromStdString(text)), nullptr);
    ASSERT_TRUE(e2e::WaitUntil([&] {
      return Notices() > changesBefore && Capture().ClipText() == text;
    })) << "not captured: " << text;
  }

  ItemList ActiveItems() const { return Items(ActiveDoc()); }
};

TEST_F(CaptureE2ETest, CopiedTextLandsAtHeadAndIsNeverDoubled) {
  StartWithX11Clipboard();
  ASSERT_EQ(ActiveItems(), ItemList{});

  ASSERT_NO_FATAL_FAILURE(CopyAndWait("alpha"));
  EXPECT_EQ(ActiveItems(), ItemList{"alpha"});
  EXPECT_EQ(ActiveDoc()->GetTitle(), QStringLiteral("Tlvn1 *"));

  ASSERT_NO_FATAL_FAILURE(CopyAndWait("alpha"));
  EXPECT_EQ(ActiveItems(), ItemList{"alpha"});

  ASSERT_NO_FATAL_FAILURE(CopyAndWait("beta"));
  ASSERT_NO_FATAL_FAILURE(CopyAndWait("alpha"));
  EXPECT_EQ(ActiveItems(), (ItemList{"alpha", "beta"}));
}

TEST_F(CaptureE2ETest, TextOnClipboardAtStartFillsFirstDocument) {
  ASSERT_NE(ClipboardOwner::Copy("present before start"), nullptr);
  StartWithX11Clipboard();
  // The window does not wait for the first read: on a busy machine it may come later.
  EXPECT_TRUE(e2e::WaitUntil([&] { return ActiveItems() == ItemList{"present before start"}; }));
  EXPECT_EQ(ActiveDoc()->GetTitle(), QStringLiteral("Tlvn1 *"));
}

TEST_F(CaptureE2ETest, OwnerGoneEmptiesCurrentTextAndKeepsList) {
  StartWithX11Clipboard();
  ASSERT_NO_FATAL_FAILURE(CopyAndWait("short lived"));
  ClipboardOwner::KillAll();
  // X11 keeps no copy once the owning program is gone.
  EXPECT_TRUE(e2e::WaitUntil([&] { return Capture().ClipText().empty(); }));
  EXPECT_EQ(ActiveItems(), ItemList{"short lived"});
}

TEST_F(CaptureE2ETest, JapaneseMultiLineTextArrivesByteForByte) {
  StartWithX11Clipboard();
  const std::string text =
      "ｸﾘｯﾌﾟﾎﾞｰﾄﾞ\t消去\r\n"
      "他のｱﾌﾟﾘｹｰｼｮﾝがｸﾘｯﾌﾟﾎﾞｰﾄﾞ使用中\r\n"
      "\xF0\x9F\x93\x8B 項目数\r\n";
  ASSERT_NO_FATAL_FAILURE(CopyAndWait(text));
  ASSERT_EQ(ActiveItems().size(), 1u);
  EXPECT_EQ(ActiveItems()[0], text);
  e2e::SaveScreenshot(QStringLiteral("capture_japanese"));
}

TEST_F(CaptureE2ETest, TwentyCopiesInARowKeepEachTextOnceNewestFirst) {
  StartWithX11Clipboard();
  // Seven texts in turn: later copies repeat earlier ones, which must move, not double.
  ItemList expected;
  for (int i = 0; i < 20; ++i) {
    const std::string text = "copy " + std::to_string(i % 7);
    ASSERT_NO_FATAL_FAILURE(CopyAndWait(text));
    expected.erase(std::remove(expected.begin(), expected.end(), text), expected.end());
    expected.insert(expected.begin(), text);
  }
  EXPECT_EQ(ActiveItems(), expected);
  EXPECT_EQ(ActiveItems().front(), "copy 5");
}

}  // namespace
