// The clip list behaves as a single-selection list box: real mouse clicks and keys on it,
// and how its lines are painted.
#include <QImage>
#include <QScrollBar>
#include <QTest>
#include <gtest/gtest.h>

#include <cstdlib>

#include "app/main_frame.h"
#include "app/tolvane_app.h"
#include "document/tolvane_doc.h"
#include "support/app_fixture.h"
#include "view/clip_line_delegate.h"
#include "view/clip_list_box.h"
#include "view/clip_list_model.h"
#include "view/tolvane_view.h"

namespace {

class ListBoxTest : public testing_support::AppTest {
 protected:
  // Starts with the given items in a window tall enough for a few more lines.
  view::CClipListBox* StartWith(const std::vector<std::string>& items) {
    Start();
    Frame()->resize(640, 480);
    Frame()->show();
    Frame()->activateWindow();
    EXPECT_TRUE(QTest::qWaitForWindowActive(Frame()));
    return Fill(items);
  }
  view::CClipListBox* Fill(const std::vector<std::string>& items) {
    doc::CTolvaneDoc* doc = ActiveDoc();
    doc->ItemListForTesting().RemoveAll();
    for (const std::string& item : items) doc->ItemListForTesting().AddTail(item);
    doc->UpdateAllViews(nullptr, 0);
    ProcessEvents();
    return ActiveView()->ListBox();
  }
  static QPoint LineCenter(view::CClipListBox* list, int line) {
    return list->visualRect(list->model()->index(line, 0)).center();
  }
};

struct ClickCase {
  const char* name;
  int selected;                     // before the click
  int line;                         // clicked line; -1 below the last
  bool rightOfText;                 // at the list's right edge, beyond the text
  Qt::KeyboardModifiers modifiers;
  int expected;
};

class ListBoxClickTest : public ListBoxTest, public testing::WithParamInterface<ClickCase> {};

TEST_P(ListBoxClickTest, ClickSelectsTheLineThereOrTheNearestAndNeverClears) {
  const ClickCase& c = GetParam();
  view::CClipListBox* list = StartWith({"short", "a somewhat longer line", "x", "last"});
  list->SetCurSel(c.selected);
  QPoint point = c.line >= 0 ? LineCenter(list, c.line) : LineCenter(list, 3) + QPoint(0, 40);
  if (c.rightOfText) point.setX(list->viewport()->width() - 3);
  ASSERT_LT(point.y(), list->viewport()->height());
  QTest::mouseClick(list->viewport(), Qt::LeftButton, c.modifiers, point);
  EXPECT_EQ(list->GetCurSel(), c.expected);
}

INSTANTIATE_TEST_SUITE_P(
    ListBox, ListBoxClickTest,
    testing::Values(ClickCase{"OnALine", 0, 2, false, {}, 2},
                    ClickCase{"RightOfAShortLine", 0, 2, true, {}, 2},
                    ClickCase{"BelowTheLastLine", 0, -1, false, {}, 3},
                    ClickCase{"BelowTheLastLineWithNothingSelected", -1, -1, true, {}, 3},
                    ClickCase{"CtrlOnTheSelectedLine", 1, 1, false, Qt::ControlModifier, 1},
                    ClickCase{"CtrlOnAnotherLine", 1, 2, false, Qt::ControlModifier, 2}),
    [](const testing::TestParamInfo<ClickCase>& info) { return info.param.name; });

TEST_F(ListBoxTest, KeysMoveTheSelectionAsInAListBox) {
  std::vector<std::string> items;
  for (int i = 0; i < 100; ++i) items.push_back("item " + std::to_string(i));
  view::CClipListBox* list = StartWith(items);
  list->setFocus();
  const struct {
    Qt::Key key;
    int expected;
  } steps[] = {{Qt::Key_End, 99}, {Qt::Key_Up, 98},  {Qt::Key_Home, 0},
               {Qt::Key_Down, 1}, {Qt::Key_End, 99}, {Qt::Key_Home, 0}};
  for (const auto& step : steps) {
    QTest::keyClick(list, step.key);
    EXPECT_EQ(list->GetCurSel(), step.expected) << QKeySequence(step.key).toString().toStdString();
  }
  QTest::keyClick(list, Qt::Key_PageDown);
  const int page = list->GetCurSel();
  EXPECT_GT(page, 1);
  EXPECT_LT(page, 99);
  QTest::keyClick(list, Qt::Key_PageUp);
  EXPECT_EQ(list->GetCurSel(), 0);
}

TEST_F(ListBoxTest, SelectionSpansTheRowAndTheScrollBarsShowOnlyWhenNeeded) {
  view::CClipListBox* list = StartWith({"a", "b"});
  EXPECT_FALSE(list->verticalScrollBar()->isVisible());
  EXPECT_FALSE(list->horizontalScrollBar()->isVisible());
  EXPECT_GE(list->visualRect(list->model()->index(0, 0)).width(), list->viewport()->width());

  // A line wider than the list: the row is as wide as the line, and the horizontal range
  // reaches its end.
  std::vector<std::string> items(60, "");
  for (int i = 0; i < 60; ++i) items[i] = "line " + std::to_string(i);
  items[5] = std::string(300, 'w');
  list = Fill(items);
  EXPECT_TRUE(list->verticalScrollBar()->isVisible());
  const int extent = ActiveView()->Model()->HorizontalExtent();
  EXPECT_EQ(list->columnWidth(0), extent);
  EXPECT_EQ(list->horizontalScrollBar()->maximum(), extent - list->viewport()->width());
}

// The marker sits in a slot of its own: the text of a marked line starts where that of
// the other lines starts.
TEST_F(ListBoxTest, MarkedAndUnmarkedTextStartAtTheSameColumn) {
  view::CClipListBox* list = StartWith({"xyz", "xyz "});  // the blank paints nothing
  Frame()->m_strClipText = "xyz";
  ActiveDoc()->UpdateAllViews(nullptr, -1);
  ProcessEvents();
  ASSERT_EQ(ActiveView()->Model()->DisplayText(0).left(1), QStringLiteral("\u25CE"));

  const QImage image = list->viewport()->grab().toImage();
  const QRect marked = list->visualRect(list->model()->index(0, 0));
  const QRect plain = list->visualRect(list->model()->index(1, 0));
  const int textStart = view::ClipLineDelegate::TextMargin(list) +
                        view::ClipLineDelegate::MarkerSlotWidth(list->fontMetrics());
  const int width = list->fontMetrics().horizontalAdvance(QStringLiteral("xyz")) + 4;
  const QRect text(textStart, 0, width, marked.height());
  EXPECT_EQ(image.copy(text.translated(0, marked.top())),
            image.copy(text.translated(0, plain.top())));
  const QRect slot(0, 0, textStart, marked.height());
  EXPECT_NE(image.copy(slot.translated(0, marked.top())),
            image.copy(slot.translated(0, plain.top())));
}

TEST_F(ListBoxTest, SelectionOfAnInactiveDocumentWindowShowsInTheInactiveColour) {
  view::CClipListBox* first = StartWith({"one", "two"});
  QPalette palette = first->palette();
  palette.setColor(QPalette::Active, QPalette::Highlight, QColor(200, 0, 0));
  palette.setColor(QPalette::Inactive, QPalette::Highlight, QColor(0, 0, 200));
  first->setPalette(palette);
  first->SetCurSel(1);
  const auto selectedColour = [&] {
    const QImage image = first->viewport()->grab().toImage();
    const QRect row = first->visualRect(first->model()->index(1, 0));
    return image.pixelColor(first->viewport()->width() - 4, row.center().y());
  };
  // The style may shade the colour a little.
  const auto near = [](const QColor& a, const QColor& b) {
    return std::abs(a.red() - b.red()) + std::abs(a.green() - b.green()) +
               std::abs(a.blue() - b.blue()) < 24;
  };
  EXPECT_TRUE(near(selectedColour(), QColor(200, 0, 0))) << selectedColour().name().toStdString();

  NewDocument();
  ProcessEvents();
  ASSERT_NE(ActiveView()->ListBox(), first);
  EXPECT_TRUE(near(selectedColour(), QColor(0, 0, 200))) << selectedColour().name().toStdString();
}

}  // namespace
