// The clip list behaves as a single-selection list box: real mouse clicks and keys on it,
// and how its lines are painted.
#include <QAccessible>
#include <QApplication>
#include <QElapsedTimer>
#include <QImage>
#include <QMenu>
#include <QMouseEvent>
#include <QScrollBar>
#include <QTest>
#include <QTimer>
#include <gtest/gtest.h>

#include <cstdlib>

#include "app/main_frame.h"
#include "app/tolvane_app.h"
#include "document/tolvane_doc.h"
#include "resources/command_ids.h"
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
  // A mouse event on the list's lines as the window system delivers it; unlike QTest's
  // moves, a move carries the buttons held.
  static void Mouse(view::CClipListBox* list, QEvent::Type type, const QPoint& point,
                    Qt::MouseButton button = Qt::LeftButton,
                    Qt::MouseButtons held = Qt::LeftButton) {
    QWidget* viewport = list->viewport();
    QMouseEvent event(type, point, viewport->mapToGlobal(point), button, held, Qt::NoModifier);
    QApplication::sendEvent(viewport, &event);
  }
  static void MoveInSteps(view::CClipListBox* list, QPoint from, const QPoint& to) {
    for (int step = 1; step <= 4; ++step) {
      Mouse(list, QEvent::MouseMove, from + (to - from) * step / 4, Qt::NoButton);
    }
  }
  static std::vector<std::string> Lines(view::CTolvaneView* view) {
    std::vector<std::string> lines;
    for (int i = 0; i < view->Model()->rowCount(); ++i) {
      lines.push_back(view->Model()->DisplayText(i).trimmed().toStdString());
    }
    return lines;
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

// --- Dragging a line ------------------------------------------------------------------

constexpr int kBelowLastLine = -1;
constexpr int kBesideTheList = -2;  // right of the list
constexpr int kJiggle = -3;         // a move shorter than the drag distance

struct DragCase {
  const char* name;
  int from;
  int onto;
  bool escape;  // Esc before the release
  std::vector<std::string> expected;
  int selected;
};

class ListBoxDragTest : public ListBoxTest, public testing::WithParamInterface<DragCase> {};

// The drag runs in a second window of the document; the first follows.
TEST_P(ListBoxDragTest, DropMovesTheItemAboveTheLineUnderThePointerInEveryView) {
  const DragCase& c = GetParam();
  const std::vector<std::string> items{"A", "B", "C", "D", "E", "F"};
  StartWith(items);
  view::CTolvaneView* first = ActiveView();
  ASSERT_TRUE(Run(res::ID_WINDOW_NEW));
  ProcessEvents();
  view::CTolvaneView* second = ActiveView();
  ASSERT_NE(first, second);
  view::CClipListBox* list = second->ListBox();
  ASSERT_GT(list->viewport()->height(), LineCenter(list, 5).y() + 20) << "window too small";
  ActiveDoc()->SetModifiedFlag(false);

  const QPoint start = LineCenter(list, c.from);
  QPoint end = c.onto >= 0 ? LineCenter(list, c.onto) : start + QPoint(1, 0);
  if (c.onto == kBelowLastLine) end = LineCenter(list, 5) + QPoint(0, 20);
  if (c.onto == kBesideTheList) end.setX(list->viewport()->width() + 10);
  if (c.onto == c.from) end += QPoint(30, 0);  // along the line, beyond the drag distance
  Mouse(list, QEvent::MouseButtonPress, start, Qt::LeftButton);
  EXPECT_EQ(list->GetCurSel(), c.from);
  MoveInSteps(list, start, end);

  const bool dragging = c.onto != kJiggle;
  EXPECT_EQ(list->IsDragging(), dragging);
  if (dragging) {
    EXPECT_EQ(list->InsertionMarker(), std::max(c.onto, -1));
    ASSERT_NE(QApplication::overrideCursor(), nullptr);
    EXPECT_EQ(QApplication::overrideCursor()->shape(),
              c.onto >= 0 ? Qt::DragMoveCursor : Qt::ForbiddenCursor);
  }
  if (c.escape) QTest::keyClick(list, Qt::Key_Escape);
  Mouse(list, QEvent::MouseButtonRelease, end, Qt::LeftButton, Qt::NoButton);
  ProcessEvents();

  EXPECT_FALSE(list->IsDragging());
  EXPECT_EQ(list->InsertionMarker(), -1);
  EXPECT_EQ(QApplication::overrideCursor(), nullptr);
  EXPECT_EQ(Items(ActiveDoc()), c.expected);
  EXPECT_EQ(ActiveDoc()->IsModified(), c.expected != items);
  EXPECT_EQ(Lines(first), c.expected);
  EXPECT_EQ(list->GetCurSel(), c.selected);
  if (c.expected != items) {
    EXPECT_EQ(first->ListBox()->GetCurSel(), c.selected);
  }
}

INSTANTIATE_TEST_SUITE_P(
    ListBox, ListBoxDragTest,
    testing::Values(
        DragCase{"DownOntoALaterLine", 2, 5, false, {"A", "B", "D", "E", "C", "F"}, 4},
        DragCase{"UpOntoAnEarlierLine", 5, 2, false, {"A", "B", "F", "C", "D", "E"}, 2},
        DragCase{"OntoTheNextLine", 2, 3, false, {"A", "B", "C", "D", "E", "F"}, 2},
        DragCase{"OntoItself", 2, 2, false, {"A", "B", "C", "D", "E", "F"}, 2},
        DragCase{"BelowTheLastLine", 2, kBelowLastLine, false, {"A", "B", "C", "D", "E", "F"}, 2},
        DragCase{"BesideTheList", 2, kBesideTheList, false, {"A", "B", "C", "D", "E", "F"}, 2},
        DragCase{"CancelledWithEsc", 2, 5, true, {"A", "B", "C", "D", "E", "F"}, 2},
        DragCase{"ShorterThanTheDragDistance", 2, kJiggle, false, {"A", "B", "C", "D", "E", "F"},
                 2}),
    [](const testing::TestParamInfo<DragCase>& info) { return info.param.name; });

// Held below the list, the drag scrolls it line by line; the drop then goes where the
// pointer is after scrolling.
TEST_F(ListBoxTest, DragHeldBelowTheListScrollsAndDropsOnTheLineThen) {
  std::vector<std::string> items;
  for (int i = 0; i < 100; ++i) items.push_back("item " + std::to_string(i));
  view::CClipListBox* list = StartWith(items);
  const QPoint start = LineCenter(list, 0);
  const QPoint below(start.x(), list->viewport()->height() + 10);
  Mouse(list, QEvent::MouseButtonPress, start);
  QElapsedTimer held;
  held.start();
  MoveInSteps(list, start, below);
  EXPECT_EQ(list->InsertionMarker(), -1);
  // One line per tick of 100 ms.
  EXPECT_TRUE(QTest::qWaitFor([&] { return list->rowAt(0) >= 3; }, 3000));
  EXPECT_GE(held.elapsed(), 280);
  const int top = list->rowAt(0);

  const QPoint inside(start.x(), list->viewport()->height() / 2);
  const int onto = list->rowAt(inside.y());
  Mouse(list, QEvent::MouseMove, inside, Qt::NoButton);
  QTest::qWait(250);
  EXPECT_EQ(list->rowAt(0), top) << "scrolls only while the pointer is outside";
  EXPECT_EQ(list->InsertionMarker(), onto);
  Mouse(list, QEvent::MouseButtonRelease, inside, Qt::LeftButton, Qt::NoButton);
  ProcessEvents();
  EXPECT_EQ(ActiveDoc()->GetItemList().GetAt(onto - 1), "item 0");
  EXPECT_EQ(list->GetCurSel(), onto - 1);
}

// A capture during a drag shifts the lines: the dragged item is still the one that moves.
TEST_F(ListBoxTest, CaptureDuringADragMovesTheDraggedItem) {
  view::CClipListBox* list = StartWith({"A", "B", "C", "D", "E", "F"});
  const QPoint start = LineCenter(list, 2);
  const QPoint end = LineCenter(list, 5);
  Mouse(list, QEvent::MouseButtonPress, start);
  MoveInSteps(list, start, end);
  ASSERT_TRUE(list->IsDragging());
  Capture().SetClipTextForTesting("X");
  ActiveDoc()->AddClipboardText();
  Mouse(list, QEvent::MouseButtonRelease, end, Qt::LeftButton, Qt::NoButton);
  EXPECT_EQ(Items(ActiveDoc()), (std::vector<std::string>{"X", "A", "B", "D", "C", "E", "F"}));
  EXPECT_EQ(list->GetCurSel(), 4);
}

// --- The context menu ------------------------------------------------------------------

struct RightClickCase {
  const char* name;
  int count;  // lines in the list
  int line;   // clicked line; -1 below the last
  int expected;
};

class ListBoxRightClickTest : public ListBoxTest,
                              public testing::WithParamInterface<RightClickCase> {};

TEST_P(ListBoxRightClickTest, SelectsTheNearestLineAndEnablesTheMenuWithASelection) {
  const RightClickCase& c = GetParam();
  std::vector<std::string> items;
  for (int i = 0; i < c.count; ++i) items.push_back("line " + std::to_string(i));
  view::CClipListBox* list = StartWith(items);
  list->SetCurSel(c.count > 1 ? 1 : -1);
  const QPoint point = c.line >= 0 ? LineCenter(list, c.line)
                                   : QPoint(10, c.count * list->rowHeight(0) + 30);

  int selectedWhenShown = -2;
  std::vector<bool> enabled;
  QTimer::singleShot(0, [&] {
    auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
    ASSERT_NE(menu, nullptr);
    selectedWhenShown = list->GetCurSel();
    for (QAction* action : menu->actions()) {
      if (!action->isSeparator()) enabled.push_back(action->isEnabled());
    }
    menu->close();
  });
  Mouse(list, QEvent::MouseButtonPress, point, Qt::RightButton, Qt::RightButton);
  Mouse(list, QEvent::MouseButtonRelease, point, Qt::RightButton, Qt::NoButton);

  EXPECT_EQ(selectedWhenShown, c.expected);
  EXPECT_EQ(enabled, std::vector<bool>(4, c.expected >= 0));
}

INSTANTIATE_TEST_SUITE_P(
    ListBox, ListBoxRightClickTest,
    testing::Values(RightClickCase{"OnALine", 5, 3, 3},
                    RightClickCase{"BelowTheLastLine", 5, -1, 4},
                    RightClickCase{"EmptyList", 0, -1, -1}),
    [](const testing::TestParamInfo<RightClickCase>& info) { return info.param.name; });

TEST_F(ListBoxTest, KeysMoveTheSelectionAsInAListBox) {
  std::vector<std::string> items;
  for (int i = 0; i < 100; ++i) items.push_back("item " + std::to_string(i));
  view::CClipListBox* list = StartWith(items);
  list->setFocus();
  const struct {
    Qt::Key key;
    int expected;
    Qt::KeyboardModifiers modifiers = Qt::NoModifier;
  } steps[] = {{Qt::Key_End, 99},  {Qt::Key_Up, 98},   {Qt::Key_Down, 99}, {Qt::Key_Down, 99},
               {Qt::Key_PageDown, 99},
               {Qt::Key_Home, 0},  {Qt::Key_Up, 0},    {Qt::Key_Left, 0},
               {Qt::Key_Space, 0, Qt::ControlModifier},
               {Qt::Key_Down, 1},  {Qt::Key_Space, 1, Qt::ControlModifier},
               {Qt::Key_End, 99},  {Qt::Key_Home, 0}};
  for (const auto& step : steps) {
    QTest::keyClick(list, step.key, step.modifiers);
    EXPECT_EQ(list->GetCurSel(), step.expected)
        << QKeySequence(step.key | step.modifiers).toString().toStdString();
    // The selected line is in view, whole.
    EXPECT_TRUE(list->viewport()->rect().contains(
        list->visualRect(list->model()->index(step.expected, 0))));
  }
  QTest::keyClick(list, Qt::Key_PageDown);
  const int page = list->GetCurSel();
  EXPECT_GT(page, 1);
  EXPECT_LT(page, 99);
  QTest::keyClick(list, Qt::Key_PageUp);
  EXPECT_EQ(list->GetCurSel(), 0);
}

struct GeometryCase {
  const char* name;
  int count;     // -1: exactly as many lines as the list shows whole
  int selected;  // -1: the last line
};

void PrintTo(const GeometryCase& c, std::ostream* os) { *os << c.name; }

class ListBoxGeometryTest : public ListBoxTest,
                            public testing::WithParamInterface<GeometryCase> {};

// Where a line is drawn follows from its number and the line at the top: the lines in
// view, the line under a point and the scroll range agree at every size of list.
TEST_P(ListBoxGeometryTest, LinesSitWhereTheirNumbersSay) {
  const GeometryCase& c = GetParam();
  view::CClipListBox* list = StartWith({"x"});
  const int height = list->rowHeight(0);
  const int whole = list->viewport()->height() / height;
  const int count = c.count < 0 ? whole : c.count;
  std::vector<std::string> items;
  for (int i = 0; i < count; ++i) items.push_back("line " + std::to_string(i));
  list = Fill(items);
  if (count > 0) list->SetCurSel(c.selected < 0 ? count - 1 : c.selected);
  ProcessEvents();

  QScrollBar* bar = list->verticalScrollBar();
  EXPECT_EQ(bar->isVisible(), count > whole);
  EXPECT_EQ(bar->maximum(), std::max(0, count - list->viewport()->height() / height));
  const int top = list->rowAt(0);
  EXPECT_EQ(top, count > 0 ? bar->value() : -1);
  for (int y = 0; y < list->viewport()->height(); y += height) {
    const int line = list->rowAt(y);
    if (line < 0) {
      EXPECT_GE(bar->value() + y / height, count) << "only below the last line is no line";
      continue;
    }
    const QRect rect = list->visualRect(list->model()->index(line, 0));
    EXPECT_EQ(rect.top(), (line - top) * height);
    EXPECT_EQ(list->indexAt(rect.center()).row(), line);
  }
  if (count == 0) return;
  const QRect selected = list->visualRect(list->model()->index(list->GetCurSel(), 0));
  EXPECT_TRUE(list->viewport()->rect().contains(selected)) << "the selected line shows whole";
}

INSTANTIATE_TEST_SUITE_P(
    All, ListBoxGeometryTest,
    testing::Values(GeometryCase{"Empty", 0, 0}, GeometryCase{"FewLines", 5, 4},
                    GeometryCase{"ExactlyAPage", -1, -1}, GeometryCase{"ManyAtTheEnd", 1000, -1},
                    GeometryCase{"ManyInTheMiddle", 1000, 500}),
    [](const testing::TestParamInfo<GeometryCase>& info) { return info.param.name; });

// A screen reader sees a list of the lines, which follows captures at the head of the list.
TEST_F(ListBoxTest, ScreenReaderSeesTheLinesAsTheItemsOfAList) {
  view::CClipListBox* list = StartWith({"A", "B", "C"});
  QAccessibleInterface* box = QAccessible::queryAccessibleInterface(list);
  list->setFocus();
  list->SetCurSel(1);
  EXPECT_EQ(box->role(), QAccessible::List);
  ASSERT_EQ(box->childCount(), 3);
  for (int i = 0; i < 3; ++i) {
    QAccessibleInterface* line = box->child(i);
    EXPECT_EQ(line->text(QAccessible::Name).trimmed(), QString("ABC"[i]));
    EXPECT_EQ(line->state().selected, i == 1) << i;
    EXPECT_EQ(line->state().focused, i == 1) << i;
    EXPECT_EQ(box->indexOfChild(line), i);
  }
  EXPECT_EQ(box->focusChild(), box->child(1));
  const QRect second = list->visualRect(list->model()->index(1, 0));
  EXPECT_EQ(box->child(1)->rect().topLeft(), list->viewport()->mapToGlobal(second.topLeft()));
  // The line interfaces made stood for lines that moved down: new ones are made.
  const QAccessible::Id first = QAccessible::uniqueId(box->child(0));
  Capture().SetClipTextForTesting("X");
  ActiveDoc()->AddClipboardText();
  ProcessEvents();
  EXPECT_EQ(QAccessible::accessibleInterface(first), nullptr);
  ASSERT_EQ(box->childCount(), 4);
  EXPECT_TRUE(box->child(0)->text(QAccessible::Name).endsWith("X"));
  EXPECT_TRUE(box->child(3)->text(QAccessible::Name).endsWith("C"));
  // An item copied again moves to the head without the number of lines changing.
  const QAccessible::Id head = QAccessible::uniqueId(box->child(0));
  Capture().SetClipTextForTesting("B");
  ActiveDoc()->AddClipboardText();
  ProcessEvents();
  EXPECT_EQ(QAccessible::accessibleInterface(head), nullptr);
  EXPECT_TRUE(box->child(0)->text(QAccessible::Name).endsWith("B"));
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

  // Nothing left to scroll: the bars go again.
  list = Fill({"a"});
  ProcessEvents();
  EXPECT_FALSE(list->verticalScrollBar()->isVisible());
  EXPECT_FALSE(list->horizontalScrollBar()->isVisible());
}

// The marker sits in a slot of its own: the text of a marked line starts where that of
// the other lines starts.
TEST_F(ListBoxTest, MarkedAndUnmarkedTextStartAtTheSameColumn) {
  view::CClipListBox* list = StartWith({"xyz", "xyz "});  // the blank paints nothing
  Capture().SetClipTextForTesting("xyz");
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
