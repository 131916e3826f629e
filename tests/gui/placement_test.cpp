#include <QMdiArea>
#include <QScrollBar>
#include <QtTest/QTest>
#include <gtest/gtest.h>

#include "app/main_frame.h"
#include "app/tolvane_app.h"
#include "framework/mdi_child_wnd.h"
#include "support/app_fixture.h"

namespace {

using testing_support::AppTest;

class PlacementStartTest : public AppTest {
 protected:
  QSize ClientAreaSize() const { return Frame()->GetMDIClient()->viewport()->size(); }
};

struct MaximizedStartCase {
  const char* name;
  const char* keys;
};

void PrintTo(const MaximizedStartCase& c, std::ostream* os) { *os << c.name; }

class MaximizedStartTest : public PlacementStartTest,
                           public testing::WithParamInterface<MaximizedStartCase> {};

// The first document window is cascaded in the maximized client area, not in the normal
// one the window had before the platform gave it its maximized size.
TEST_P(MaximizedStartTest, FirstDocumentWindowFillsTheMaximizedArea) {
  WriteSettings(std::string("[Window Size]\nRect=0010 0010 0500 0400\n") + GetParam().keys);
  Start();
  ASSERT_TRUE(QTest::qWaitFor([&] { return Frame()->isMaximized() && Frame()->width() > 490; }));
  ASSERT_EQ(Frame()->GetChildFrames().size(), 1u);
  const fw::CMDIChildWnd* child = Frame()->GetChildFrames().front();
  const QSize area = ClientAreaSize();
  const QSize expected(area.width() * 3 / 4, area.height() * 3 / 4);
  EXPECT_TRUE(QTest::qWaitFor([&] { return child->size() == expected; }))
      << child->width() << "x" << child->height() << " in " << area.width() << "x"
      << area.height();
  EXPECT_EQ(child->pos(), QPoint(0, 0));
}

INSTANTIATE_TEST_SUITE_P(
    All, MaximizedStartTest,
    testing::Values(MaximizedStartCase{"Maximized", "Max=1\n"},
                    MaximizedStartCase{"MaximizedTopMost", "Max=1\nTopMost=1\n"}),
    [](const testing::TestParamInfo<MaximizedStartCase>& info) { return info.param.name; });

// A normal start keeps the cascade of the normal client area: restoring later re-cascades
// nothing.
TEST_F(PlacementStartTest, NormalStartIsNotCascadedAgainWhenMaximizedLater) {
  Start();
  fw::CMDIChildWnd* child = Frame()->GetChildFrames().front();
  const QRect before = child->geometry();
  Frame()->showMaximized();
  ASSERT_TRUE(QTest::qWaitFor([&] { return Frame()->width() > 490; }));
  AppTest::ProcessEvents();
  EXPECT_EQ(child->geometry(), before);
}

struct OutsideCase {
  const char* name;
  QPoint pos;
  bool horizontal;
  bool vertical;
};

void PrintTo(const OutsideCase& c, std::ostream* os) { *os << c.name; }

class DocumentAreaTest : public PlacementStartTest,
                         public testing::WithParamInterface<OutsideCase> {};

// A document window moved partly or wholly out of the client area can be scrolled back to.
TEST_P(DocumentAreaTest, ScrollBarsReachWindowsOutside) {
  const OutsideCase& c = GetParam();
  Start();
  fw::CMDIChildWnd* child = Frame()->GetChildFrames().front();
  child->move(c.pos);
  AppTest::ProcessEvents();
  QMdiArea* area = Frame()->GetMDIClient();
  EXPECT_EQ(area->horizontalScrollBar()->isVisible(), c.horizontal);
  EXPECT_EQ(area->verticalScrollBar()->isVisible(), c.vertical);
  EXPECT_EQ(area->horizontalScrollBar()->maximum() > area->horizontalScrollBar()->minimum(),
            c.horizontal);
  EXPECT_EQ(area->verticalScrollBar()->maximum() > area->verticalScrollBar()->minimum(),
            c.vertical);
}

INSTANTIATE_TEST_SUITE_P(
    All, DocumentAreaTest,
    testing::Values(OutsideCase{"Inside", QPoint(0, 0), false, false},
                    OutsideCase{"Right", QPoint(2000, 0), true, false},
                    OutsideCase{"Below", QPoint(0, 2000), false, true},
                    OutsideCase{"AboveLeft", QPoint(-2000, -2000), true, true}),
    [](const testing::TestParamInfo<OutsideCase>& info) { return info.param.name; });

}  // namespace
