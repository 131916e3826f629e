// The document's own rules, without an application or a main window: a document, a fake
// view that records what it is asked to show, and a fake item-count pane.
#include <gtest/gtest.h>

#include <new>
#include <stdexcept>

#include <string>
#include <vector>

#include "document/tolvane_doc.h"
#include "framework/file_exception.h"
#include "framework/win_app.h"
#include "resources/messages.h"
#include "resources/program_tables.h"
#include "framework/view.h"
#include "support/fake_clipboard_port.h"
#include "support/message_recorder.h"

namespace {

using Items = std::vector<std::string>;

class RecordingView : public fw::CView {
 public:
  void OnUpdate(fw::CView*, int hint) override { hints.push_back(hint); }
  std::vector<int> hints;
};

class CountPane : public doc::ItemCountSink {
 public:
  void UpdateItemCount(unsigned count) override { counts.push_back(static_cast<int>(count)); }
  std::vector<int> counts;
};

struct Fixture {
  explicit Fixture(const Items& items) : doc(capture, &pane) {
    doc.SetTitle(QStringLiteral("Tlvn1"));
    for (const std::string& item : items) doc.ItemListForTesting().AddTail(item);
    doc.AddView(&view);
  }
  ~Fixture() { doc.RemoveView(&view); }
  Items List() const {
    Items items;
    for (int i = 0; i < doc.GetItemList().GetCount(); ++i) items.push_back(doc.GetItemList().GetAt(i));
    return items;
  }

  testing_support::MessageRecorder messages;
  testing_support::FakeClipboardPort clipboard;
  doc::ClipboardCapture capture{clipboard};
  CountPane pane;
  RecordingView view;
  doc::CTolvaneDoc doc;
};

struct OperationCase {
  const char* name;
  Items before;
  std::function<void(Fixture&)> operation;
  Items after;
  std::vector<int> hints;   // what the views were asked to select
  bool modified;
  std::vector<int> counts;  // what the count pane was given
};

class DocumentOperationTest : public testing::TestWithParam<OperationCase> {};

// Every change ends in the same step: views refilled with the hint, the modified flag,
// the count where it changed. A change that changes nothing does none of it.
TEST_P(DocumentOperationTest, ChangesTheListAndTellsViewsAndPane) {
  const OperationCase& c = GetParam();
  Fixture f(c.before);
  c.operation(f);
  EXPECT_EQ(f.List(), c.after);
  EXPECT_EQ(f.view.hints, c.hints);
  EXPECT_EQ(f.doc.IsModified(), c.modified);
  EXPECT_EQ(f.doc.GetTitle(), c.modified ? QStringLiteral("Tlvn1 *") : QStringLiteral("Tlvn1"));
  EXPECT_EQ(f.pane.counts, c.counts);
}

const Items kSix = {"A", "B", "C", "D", "E", "F"};

INSTANTIATE_TEST_SUITE_P(
    Document, DocumentOperationTest,
    testing::Values(
        OperationCase{"AddMovesAnEqualItemToTheHead", {"a", "b"},
                      [](Fixture& f) { f.capture.SetClipTextForTesting("b"); f.doc.AddClipboardText(); },
                      {"b", "a"}, {0}, true, {2}},
        OperationCase{"AddOfAnEmptyTextDoesNothing", {"a"},
                      [](Fixture& f) { f.doc.AddClipboardText(); }, {"a"}, {}, false, {}},
        OperationCase{"DeleteSelectsTheNextItem", {"a", "b", "c"},
                      [](Fixture& f) { f.doc.DeleteItem(1); }, {"a", "c"}, {1}, true, {2}},
        OperationCase{"DeleteOfTheLastSelectsTheOneAbove", {"a", "b"},
                      [](Fixture& f) { f.doc.DeleteItem(1); }, {"a"}, {0}, true, {1}},
        OperationCase{"DeleteOfTheOnlyItemLeavesItUnmodified", {"a"},
                      [](Fixture& f) { f.doc.DeleteItem(0); }, {}, {-1}, false, {0}},
        OperationCase{"UndoPutsTheItemBack", {"a", "b", "c"},
                      [](Fixture& f) { f.doc.DeleteItem(1); f.view.hints.clear();
                                       f.pane.counts.clear(); f.doc.OnEditUndo(); },
                      {"a", "b", "c"}, {1}, true, {3}},
        OperationCase{"ReplaceDropsTheEqualItemAndKeepsTheSelection", {"a", "b", "c"},
                      [](Fixture& f) { f.doc.ReplaceItem(2, "a"); },
                      {"b", "a"}, {1}, true, {2}},
        OperationCase{"InsertGoesAboveAndKeepsTheOldItemSelected", {"a", "b"},
                      [](Fixture& f) { f.doc.InsertItemAbove(1, "new"); },
                      {"a", "new", "b"}, {2}, true, {3}},
        OperationCase{"DragDownwards", kSix, [](Fixture& f) { f.doc.MoveItem(2, 5); },
                      {"A", "B", "D", "E", "C", "F"}, {4}, true, {}},
        OperationCase{"DragUpwards", kSix, [](Fixture& f) { f.doc.MoveItem(5, 2); },
                      {"A", "B", "F", "C", "D", "E"}, {2}, true, {}},
        OperationCase{"DragOntoTheNextLineChangesNothing", kSix,
                      [](Fixture& f) { EXPECT_FALSE(f.doc.MoveItem(2, 3)); }, kSix, {}, false, {}},
        OperationCase{"DragOntoItselfChangesNothing", kSix,
                      [](Fixture& f) { EXPECT_FALSE(f.doc.MoveItem(2, 2)); }, kSix, {}, false, {}},
        OperationCase{"DragBelowTheLastLineChangesNothing", kSix,
                      [](Fixture& f) { EXPECT_FALSE(f.doc.MoveItem(2, -1)); }, kSix, {}, false, {}}),
    [](const testing::TestParamInfo<OperationCase>& info) { return info.param.name; });

TEST(DocumentCaptureTest, LimitRefusesTheAdditionWithItsMessage) {
  Fixture f({});
  for (int i = 0; i < doc::kMaxCapturedItems; ++i) {
    f.doc.ItemListForTesting().AddTail(std::to_string(i));
  }
  f.capture.SetClipTextForTesting("one more");
  f.doc.AddClipboardText();
  EXPECT_EQ(f.doc.GetItemList().GetCount(), doc::kMaxCapturedItems);
  EXPECT_TRUE(f.view.hints.empty());
  ASSERT_EQ(f.messages.Count(), 1);
  EXPECT_TRUE(f.messages.Last().systemModal);
}

}  // namespace

namespace {

// At the limit, every further capture is refused; while the limit's message is open, its
// event loop takes more clipboard changes, which are refused without another box.
TEST(DocumentCaptureTest, CapturesDuringTheLimitMessageOpenNoSecondBox) {
  Fixture f({});
  for (int i = 0; i < doc::kMaxCapturedItems; ++i) {
    f.doc.ItemListForTesting().AddTail(std::to_string(i));
  }
  int nested = 0;
  f.messages.WhileOpen([&] {
    for (int i = 0; i < 500; ++i) {
      f.capture.SetClipTextForTesting("copy " + std::to_string(i));
      f.doc.AddClipboardText();
      ++nested;
    }
  });
  f.capture.SetClipTextForTesting("first");
  f.doc.AddClipboardText();
  EXPECT_EQ(nested, 500);
  EXPECT_EQ(f.messages.Count(), 1);
  EXPECT_FALSE(f.capture.IsMessageOpen());
  f.messages.WhileOpen(nullptr);
  f.doc.AddClipboardText();  // the box is closed: the next refusal shows it again
  EXPECT_EQ(f.messages.Count(), 2);
}

// A box whose event loop throws does not keep later capture messages from showing.
TEST(DocumentCaptureTest, MessageThatThrowsLeavesTheNextOneShown) {
  Fixture f({});
  f.messages.WhileOpen([] { throw std::bad_alloc(); });
  EXPECT_THROW(f.capture.ShowMessage(res::kMsgItemLimit), std::bad_alloc);
  EXPECT_FALSE(f.capture.IsMessageOpen());
  f.capture.ShowMessage(res::kMsgItemLimit);
  EXPECT_EQ(f.messages.Count(), 2);
}

}  // namespace

namespace {

// What a failure that escaped a handler shows: its own text where it has one.
TEST(EscapedFailureTest, EachKindShowsItsText) {
  fw::SetUiTables(res::ProgramUiTables());
  struct Case {
    std::exception_ptr error;
    bool inCommand;
    const char* text;
    platform::MbIcon icon;
  } cases[] = {
      {std::make_exception_ptr(std::bad_alloc()), true, "ﾒﾓﾘが不足しています。",
       platform::MbIcon::Exclamation},
      {std::make_exception_ptr(fw::CFileException(fw::FileCause::diskFull, 28, "/x/list.tvn")),
       true, "/x/list.tvn へのｱｸｾｽ中にﾃﾞｨｽｸがいっぱいになりました。", platform::MbIcon::Stop},
      {std::make_exception_ptr(std::runtime_error("?")), true, "ｺﾏﾝﾄﾞの実行に失敗しました。",
       platform::MbIcon::Stop},
      {std::make_exception_ptr(std::runtime_error("?")), false, "ｱﾌﾟﾘｹｰｼｮﾝの内部ｴﾗｰです。",
       platform::MbIcon::Stop},
  };
  testing_support::MessageRecorder messages;
  for (const Case& c : cases) {
    fw::ReportEscapedFailure(c.error, c.inCommand);
    ASSERT_GT(messages.Count(), 0);
    EXPECT_EQ(messages.LastText(), QString::fromUtf8(c.text));
    EXPECT_EQ(messages.Last().icon, c.icon);
  }
  fw::SetUiTables({});
}

}  // namespace
