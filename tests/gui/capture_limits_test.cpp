// Clipboard texts at the edges: very large, with a zero, and in CP932.
#include <QElapsedTimer>
#include <QFontMetrics>
#include <gtest/gtest.h>

#include "app/main_frame.h"
#include "app/tolvane_app.h"
#include "document/tolvane_doc.h"
#include "platform/code_page.h"
#include "support/app_fixture.h"
#include "view/clip_list_box.h"
#include "view/clip_list_model.h"
#include "view/tolvane_view.h"

namespace {

using testing_support::AppTest;

class CaptureLimitsTest : public AppTest {};

TEST_F(CaptureLimitsTest, FiftyMegabyteTextIsCapturedWholeAndShownShort) {
  Start();
  std::string big(50u << 20, 'a');
  big[1000] = '\n';
  m_pClipboard->SimulateCopy(big);
  ProcessEvents();

  doc::CTolvaneDoc* doc = ActiveDoc();
  ASSERT_EQ(doc->GetItemList().GetCount(), 1);
  EXPECT_EQ(doc->GetItemList().GetAt(0), big);
  const std::string line = ActiveView()->Model()->DisplayLine(0);
  EXPECT_LE(line.size(), 260u);
  EXPECT_EQ(line.substr(line.size() - 3), "...");

  // Later captures do not pay for the big item again.
  QElapsedTimer timer;
  timer.start();
  for (int i = 0; i < 10; ++i) m_pClipboard->SimulateCopy("small " + std::to_string(i));
  ProcessEvents();
  EXPECT_EQ(doc->GetItemList().GetCount(), 11);
  EXPECT_LT(timer.elapsed(), 2000);
  EXPECT_EQ(m_pMessages->Count(), 0);
}

TEST_F(CaptureLimitsTest, TheSameBigTextAgainMovesRatherThanDoubles) {
  Start();
  const std::string big(8u << 20, 'b');
  m_pClipboard->SimulateCopy(big);
  m_pClipboard->SimulateCopy("other");
  m_pClipboard->SimulateCopy(big);
  EXPECT_EQ(Items(ActiveDoc()), (std::vector<std::string>{big, "other"}));
}

TEST_F(CaptureLimitsTest, MarkerFollowsTheClipboardInCp932Lists) {
  platform::SetSystemCodePage(platform::CodePage::Cp932);
  Start();
  const std::string nihon = "\x93\xFA\x96\x7B";  // 日本 in CP932
  m_pClipboard->SimulateCopy(nihon);
  m_pClipboard->SimulateCopy("abc");
  view::ClipListModel* model = ActiveView()->Model();
  EXPECT_EQ(model->DisplayLine(0), std::string("\x81\x9D") + "abc");
  EXPECT_EQ(model->DisplayLine(1), "  " + nihon);
  EXPECT_EQ(model->DisplayText(1), QStringLiteral("  日本"));
}

}  // namespace

namespace {

// The horizontal extent is the widest line plus 10 pixels: the whole of the longest
// line can be scrolled into view, "..." included.
TEST_F(CaptureLimitsTest, TheWidestLineFitsInTheExtent) {
  Start();
  std::string digits;
  for (int i = 0; i < 30; ++i) digits += "0123456789";
  m_pClipboard->SimulateCopy(digits);
  m_pClipboard->SimulateCopy("short");
  view::CTolvaneView* view = ActiveView();
  const QFontMetrics metrics(view->ListBox()->font());
  const int widest = metrics.horizontalAdvance(view->Model()->DisplayText(1));
  EXPECT_GE(view->ListBox()->columnWidth(0), widest + 10);
}

}  // namespace
