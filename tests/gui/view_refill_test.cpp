// The list view's refill: selection by hint, the extent left by an emptied list, and
// lines that could not be made for lack of memory; a capture drawn in one paint.
#include <gtest/gtest.h>

#include <QGuiApplication>
#include <QLabel>
#include <QPaintEvent>
#include <QScreen>
#include <QScrollBar>

#include "app/main_frame.h"
#include "app/tolvane_app.h"
#include "document/tolvane_doc.h"
#include "platform/alloc_fault.h"
#include "support/app_fixture.h"
#include "view/clip_list_box.h"
#include "view/clip_list_model.h"
#include "view/tolvane_view.h"

namespace {

class ViewRefillTest : public testing_support::AppTest {
 protected:
  doc::CTolvaneDoc* StartWith(int items) {
    Start();
    doc::CTolvaneDoc* doc = ActiveDoc();
    for (int i = 0; i < items; ++i) doc->ItemListForTesting().AddTail("item " + std::to_string(i));
    doc->UpdateAllViews(nullptr, 0);
    return doc;
  }
  view::CClipListBox* List() const { return ActiveView()->ListBox(); }
};

TEST_F(ViewRefillTest, HintSelectsOrLeavesNothingSelected) {
  doc::CTolvaneDoc* doc = StartWith(5);
  for (int hint : {4, 0, 2}) {
    doc->UpdateAllViews(nullptr, hint);
    EXPECT_EQ(List()->GetCurSel(), hint);
  }
  for (int hint : {-1, 5, 99}) {
    doc->UpdateAllViews(nullptr, hint);
    EXPECT_EQ(List()->GetCurSel(), -1) << "hint " << hint;
  }
}

TEST_F(ViewRefillTest, EmptiedListKeepsItsHorizontalExtent) {
  doc::CTolvaneDoc* doc = StartWith(0);
  doc->ItemListForTesting().AddTail(std::string(200, 'w'));
  doc->UpdateAllViews(nullptr, 0);
  const int extent = ActiveView()->Model()->HorizontalExtent();
  EXPECT_GT(extent, 0);
  doc->ItemListForTesting().RemoveAll();
  doc->UpdateAllViews(nullptr, -1);
  EXPECT_EQ(List()->GetCount(), 0);
  EXPECT_EQ(ActiveView()->Model()->HorizontalExtent(), extent);
}

// Memory runs out while the third line is made: the two before it are shown, the
// message says not all items can be shown, and the next refill shows them all.
TEST_F(ViewRefillTest, LineThatCannotBeMadeStopsTheRefillWithAMessage) {
  doc::CTolvaneDoc* doc = StartWith(2);
  for (int i = 2; i < 6; ++i) doc->ItemListForTesting().AddTail("new item " + std::to_string(i));
  platform::FailNextAllocations(1);
  doc->UpdateAllViews(nullptr, 0);

  EXPECT_EQ(List()->GetCount(), 2);
  EXPECT_EQ(List()->GetCurSel(), 0);
  ASSERT_EQ(m_pMessages->Count(), 1);
  const platform::MessageBoxRequest& box = m_pMessages->Last();
  EXPECT_EQ(box.text, QStringLiteral("ﾒﾓﾘ不足で表示用ﾃｷｽﾄを作成できず、全項目を表示できません。"));
  EXPECT_EQ(box.caption, QStringLiteral("Tolvane"));
  EXPECT_EQ(box.icon, platform::MbIcon::Stop);
  EXPECT_TRUE(box.beep);
  EXPECT_TRUE(box.systemModal);
  EXPECT_EQ(doc->GetItemList().GetCount(), 6);

  doc->UpdateAllViews(nullptr, 5);
  EXPECT_EQ(List()->GetCount(), 6);
  EXPECT_EQ(List()->GetCurSel(), 5);
}

}  // namespace

namespace {

class CaptureRefillTest : public ViewRefillTest {};

// A capture asks the active list's views to refill for the new item and then every view
// to refill for the marker: each view does it once, and ends on the new head selected.
TEST_F(CaptureRefillTest, EachViewRefillsOncePerCapture) {
  StartWith(3);
  List()->SetCurSel(2);
  int refills = 0;
  view::ClipListModel* model = ActiveView()->Model();
  QObject counting;  // the counting ends with the test
  QObject::connect(model, &QAbstractItemModel::modelReset, &counting, [&] { ++refills; });
  QObject::connect(model, &QAbstractItemModel::dataChanged, &counting, [&] { ++refills; });
  m_pClipboard->SimulateCopy("new head");
  EXPECT_EQ(refills, 1);
  EXPECT_EQ(List()->GetCurSel(), 0);
  EXPECT_EQ(model->DisplayText(0), QStringLiteral("◎new head"));

  // A copy of a text that is not added (auto paste off) moves only the marker: the
  // lines are not announced again, the marked ones are drawn anew.
  refills = 0;
  Capture().SetAutoPaste(false);
  m_pClipboard->SimulateCopy("item 1");
  EXPECT_EQ(refills, 0);
  EXPECT_EQ(List()->GetCurSel(), 0);
  EXPECT_EQ(model->DisplayText(0), QStringLiteral("  new head"));
  EXPECT_EQ(model->DisplayText(2), QStringLiteral("◎item 1"));
}



// Counts the events of one type that a widget gets.
class EventCount : public QObject {
 public:
  EventCount(QWidget* widget, QEvent::Type type) : m_type(type) { widget->installEventFilter(this); }
  int count = 0;

 protected:
  bool eventFilter(QObject*, QEvent* event) override {
    count += event->type() == m_type ? 1 : 0;
    return false;
  }

 private:
  QEvent::Type m_type;
};

// Counts the paint events of one widget.
class PaintCount : public QObject {
 public:
  explicit PaintCount(QWidget* widget) { widget->installEventFilter(this); }
  int paints = 0;
  QRegion region;

 protected:
  bool eventFilter(QObject*, QEvent* event) override {
    if (event->type() != QEvent::Paint) return false;
    ++paints;
    region += static_cast<QPaintEvent*>(event)->region();
    return false;
  }
};

// The list and the item count that a capture changed are drawn together, in one paint
// after the capture (one transfer to the screen), not each at once on its own.
TEST_F(CaptureRefillTest, ACaptureIsDrawnInOnePaint) {
  StartWith(3);
  ProcessEvents();
  QLabel* countPane = Frame()->ItemCountPane();
  ASSERT_TRUE(List()->viewport()->isVisible() && countPane->isVisible());
  PaintCount list(List()->viewport()), count(countPane);
  m_pClipboard->SimulateCopy("new head");
  EXPECT_EQ(list.paints + count.paints, 0);
  ProcessEvents();
  EXPECT_EQ(list.paints, 1);
  EXPECT_EQ(count.paints, 1);
  EXPECT_EQ(countPane->text(), QStringLiteral("項目数 :     4"));
}

// What is on the screen after a capture, which moves the lines already drawn instead of
// drawing them all, equals the list drawn anew; a listed text moves up, a new one is added.
struct MovedLinesCase {
  const char* name;
  int copied;     // the item captured: listed below 60
  int selected;   // the line selected before, -1 for none
  int scrolled;   // the first line shown before
  int items = 60;  // in the list before
  bool bWideLine = false;  // a line wider than the list, so that both bars show
};

class MovedLinesTest : public CaptureRefillTest,
                       public testing::WithParamInterface<MovedLinesCase> {};

TEST_P(MovedLinesTest, ScreenShowsTheListAsDrawnAnew) {
  const MovedLinesCase& c = GetParam();
  StartWith(c.items);
  if (c.bWideLine) m_pClipboard->SimulateCopy(std::string(300, 'w'));
  m_pClipboard->SimulateCopy("item 0");  // the marker on the head line
  List()->SetCurSel(c.selected);
  List()->verticalScrollBar()->setValue(c.scrolled);
  ProcessEvents();
  ProcessEvents();  // what the scrolling left to draw
  PaintCount paints(List()->viewport());
  // Laying the list out raises the bars' places above the lines, which draws them anew.
  EventCount layouts(List()->verticalScrollBar()->parentWidget(), QEvent::ZOrderChange);
  m_pClipboard->SimulateCopy("item " + std::to_string(c.copied));
  ProcessEvents();
  // A new range that keeps the bars as they are lays nothing out again.
  EXPECT_EQ(layouts.count, 0) << c.name;
  ASSERT_EQ(ActiveView()->Model()->DisplayText(0), QString::fromStdString("◎item " + std::to_string(c.copied)));
  EXPECT_EQ(paints.paints, 1);
  // The lines moved down as drawn: only the head and the line below it change.
  if (c.scrolled == 0 && c.selected == 0) {
    EXPECT_EQ(paints.region.boundingRect().height(), 2 * List()->rowHeight(0)) << c.name;
  }

  // The scroll bar too, which is redrawn only when its look changes.
  for (QWidget* widget : {List()->viewport(), static_cast<QWidget*>(List()->verticalScrollBar())}) {
    const QPoint at = widget->mapTo(widget->window(), QPoint(0, 0));
    const QImage shown = QGuiApplication::primaryScreen()
                             ->grabWindow(widget->window()->winId(), at.x(), at.y(),
                                          widget->width(), widget->height())
                             .toImage()
                             .convertToFormat(QImage::Format_RGB32);
    const QImage drawn = widget->grab().toImage().convertToFormat(QImage::Format_RGB32);
    EXPECT_TRUE(shown == drawn) << c.name << " " << widget->metaObject()->className();
  }
}

INSTANTIATE_TEST_SUITE_P(
    Captures, MovedLinesTest,
    testing::Values(MovedLinesCase{"FromAShownLine", 3, 0, 0},
                    MovedLinesCase{"FromBelowTheShownLines", 55, 0, 0},
                    MovedLinesCase{"SelectionBelowTheMovedLine", 2, 6, 0},
                    MovedLinesCase{"SelectionAboveTheMovedLine", 9, 4, 0},
                    MovedLinesCase{"ScrolledDown", 30, 25, 20},
                    MovedLinesCase{"ScrolledPastTheMovedLine", 5, 40, 30},
                    MovedLinesCase{"NewText", 98, 0, 0},
                    MovedLinesCase{"NewTextSelectionBelow", 97, 3, 0},
                    MovedLinesCase{"NewTextScrolledDown", 96, 25, 20},
                    MovedLinesCase{"NewTextShortListShrinksTheHandle", 98, 0, 0, 20},
                    MovedLinesCase{"NewTextBesideAWideLine", 98, 0, 0, 60, true}),
    [](const testing::TestParamInfo<MovedLinesCase>& info) { return std::string(info.param.name); });

}  // namespace
