#include <QApplication>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <string>
#include <vector>

#include "app/main_frame.h"
#include "app/tolvane_app.h"
#include "dialogs/byte_limited_text_edit.h"
#include "dialogs/clip_edit_dialog.h"
#include "document/tolvane_doc.h"
#include "platform/message_box.h"
#include "resources/command_ids.h"
#include "support/app_fixture.h"
#include "view/clip_list_box.h"
#include "view/clip_list_model.h"
#include "view/tolvane_view.h"

namespace {

using dialogs::CClipEditDialog;
using testing_support::AppTest;
using ItemList = std::vector<std::string>;

QString U(const char* text) { return QString::fromUtf8(text); }

constexpr int kAny = -2;  // a selection the case does not look at

class EditCommandTest : public AppTest {
 protected:
  // Starts with auto paste as asked and "clip" as the current clipboard text, not listed.
  void StartWith(bool autoPaste) {
    Start();
    Run(res::ID_CLIP_AUTO_PASTE);
    m_pClipboard->SimulateCopy("clip");
    if (autoPaste) Run(res::ID_CLIP_AUTO_PASTE);
    ASSERT_EQ(Capture().AutoPaste(), autoPaste);
  }

  // Replaces the items of the active document, selects `select` and clears the flag.
  doc::CTolvaneDoc* Fill(const ItemList& items, int select) {
    doc::CTolvaneDoc* doc = ActiveDoc();
    doc->ItemListForTesting().RemoveAll();
    for (const std::string& item : items) doc->ItemListForTesting().AddTail(item);
    doc->UpdateAllViews(nullptr, select);
    doc->SetModifiedFlag(false);
    Frame()->UpdateItemCount(doc->GetItemList().GetCount());
    return doc;
  }

  view::CClipListBox* List() const { return ActiveView()->ListBox(); }
  int Selected() const { return List()->GetCurSel(); }
  // The rows that carry the clipboard marker.
  std::vector<int> MarkedRows() const {
    std::vector<int> rows;
    const view::ClipListModel* model = ActiveView()->Model();
    for (int row = 0; row < model->rowCount(); ++row) {
      if (model->DisplayText(row).startsWith(U("◎"))) rows.push_back(row);
    }
    return rows;
  }

  // Runs Modify; `act` gets the open dialog and closes it (Cancel if it does not).
  bool RunModify(const std::function<void(CClipEditDialog&)>& act) {
    bool opened = false;
    QObject guard;  // a timer that found no dialog must not outlive this call
    QTimer::singleShot(0, &guard, [&] {
      auto* dialog = qobject_cast<CClipEditDialog*>(QApplication::activeModalWidget());
      if (!dialog) return;
      opened = true;
      act(*dialog);
      if (dialog->isVisible()) dialog->Button(res::IDC_EDIT_CANCEL)->click();
    });
    Run(res::ID_EDIT_MODIFY);
    ProcessEvents();
    return opened;
  }
  static void Press(CClipEditDialog& dialog, int button, const char* text) {
    dialog.TextBox()->setPlainText(U(text));
    dialog.Button(button)->click();
  }
};

// --- Copy and double-click ------------------------------------------------------------

// Longer than the 259-byte display line, with a multibyte character across its end.
std::string LongItem() {
  std::string item(257, 'x');
  item += "あ";
  item += std::string(40, 'y');
  return item;
}

struct CopyCase {
  const char* name;
  bool autoPaste;
  bool doubleClick;
};

class EditCommandCopyTest : public EditCommandTest, public testing::WithParamInterface<CopyCase> {};

TEST_P(EditCommandCopyTest, CopyPutsTheWholeItemOnTheClipboardAndMovesTheMarker) {
  const CopyCase& c = GetParam();
  StartWith(c.autoPaste);
  const std::string item = LongItem();
  ASSERT_EQ(item.size(), 300u);
  doc::CTolvaneDoc* doc = Fill({"a", item, "c"}, 1);

  if (c.doubleClick) {
    const QRect row = List()->visualRect(List()->model()->index(1, 0));
    ASSERT_TRUE(row.isValid());
    QTest::mouseDClick(List()->viewport(), Qt::LeftButton, {}, row.center());
  } else {
    EXPECT_TRUE(Run(res::ID_EDIT_COPY));
  }
  ProcessEvents();

  EXPECT_EQ(m_pClipboard->Text(), item);
  EXPECT_EQ(Capture().ClipText(), item);
  EXPECT_EQ(m_pMessages->Count(), 0);
  if (c.autoPaste) {
    EXPECT_EQ(Items(doc), (ItemList{item, "a", "c"}));
    EXPECT_EQ(Selected(), 0);
    EXPECT_EQ(MarkedRows(), std::vector<int>{0});
  } else {
    EXPECT_EQ(Items(doc), (ItemList{"a", item, "c"}));
    EXPECT_EQ(Selected(), 1);
    EXPECT_EQ(MarkedRows(), std::vector<int>{1});
    EXPECT_FALSE(doc->IsModified());
  }
}

INSTANTIATE_TEST_SUITE_P(
    EditCommand, EditCommandCopyTest,
    testing::Values(CopyCase{"AutoPasteOn", true, false}, CopyCase{"AutoPasteOff", false, false},
                    CopyCase{"DoubleClickAutoPasteOn", true, true},
                    CopyCase{"DoubleClickAutoPasteOff", false, true}),
    [](const testing::TestParamInfo<CopyCase>& info) { return info.param.name; });

TEST_F(EditCommandTest, DoubleClickWithNothingSelectedDoesNothing) {
  StartWith(true);
  doc::CTolvaneDoc* doc = Fill({"a", "b"}, -1);
  const int writes = m_pClipboard->WriteCount();
  ActiveView()->OnDblclkClipList();
  // Below the last row there is no line to copy either.
  const QRect last = List()->visualRect(List()->model()->index(1, 0));
  QTest::mouseDClick(List()->viewport(), Qt::LeftButton, {}, last.center() + QPoint(0, 3 * last.height()));
  ProcessEvents();
  EXPECT_EQ(m_pClipboard->WriteCount(), writes);
  EXPECT_EQ(m_pClipboard->Text(), "clip");
  EXPECT_EQ(Items(doc), (ItemList{"a", "b"}));
}

// --- Cut and the failures of the clipboard write -----------------------------------------

TEST_F(EditCommandTest, CutWithAutoPasteOnTakesTheItemOutAndUndoPutsItBack) {
  StartWith(true);
  doc::CTolvaneDoc* doc = Fill({"a", "b", "c"}, 1);
  EXPECT_TRUE(Run(res::ID_EDIT_CUT));
  EXPECT_EQ(Items(doc), (ItemList{"a", "c"}));
  EXPECT_EQ(m_pClipboard->Text(), "b");
  EXPECT_EQ(Capture().ClipText(), "b");
  EXPECT_FALSE(Capture().SkipsNextCapture());
  EXPECT_EQ(Selected(), 1);
  EXPECT_TRUE(doc->IsModified());
  EXPECT_EQ(ItemCountText(), U("項目数 :     2"));

  Run(res::ID_EDIT_UNDO);
  EXPECT_EQ(Items(doc), (ItemList{"a", "b", "c"}));
  EXPECT_EQ(Selected(), 1);
  EXPECT_EQ(MarkedRows(), std::vector<int>{1});

  // The skip was used up by the cut's own notice: the next copy is captured.
  m_pClipboard->SimulateCopy("next");
  EXPECT_EQ(Items(doc), (ItemList{"next", "a", "b", "c"}));
}

struct WriteFailureCase {
  const char* name;
  bool failOpen;  // else: no memory
  unsigned command;
  const char* message;
  platform::MbIcon icon;
  bool beep;
};

class EditCommandWriteFailureTest : public EditCommandTest,
                                    public testing::WithParamInterface<WriteFailureCase> {};

TEST_P(EditCommandWriteFailureTest, FailedWriteIsReportedAndLeavesTheClipboard) {
  const WriteFailureCase& c = GetParam();
  const bool cut = c.command == res::ID_EDIT_CUT;
  StartWith(true);
  doc::CTolvaneDoc* doc = Fill({"a", "b", "c"}, 1);
  const int writes = m_pClipboard->WriteCount();
  (c.failOpen ? m_pClipboard->m_bFailOpen : m_pClipboard->m_bFailWriteMemory) = true;

  EXPECT_TRUE(Run(c.command));
  ASSERT_EQ(m_pMessages->Count(), 1);
  const platform::MessageBoxRequest& shown = m_pMessages->Last();
  EXPECT_EQ(shown.text, U(c.message));
  EXPECT_EQ(shown.caption, "Tolvane");
  EXPECT_EQ(shown.icon, c.icon);
  EXPECT_EQ(shown.beep, c.beep);
  EXPECT_FALSE(shown.systemModal);
  EXPECT_EQ(m_pClipboard->Text(), "clip");
  EXPECT_EQ(m_pClipboard->WriteCount(), writes);
  m_pClipboard->m_bFailOpen = m_pClipboard->m_bFailWriteMemory = false;

  if (!cut) {
    EXPECT_EQ(Items(doc), (ItemList{"a", "b", "c"}));
    EXPECT_EQ(Selected(), 1);
    EXPECT_FALSE(Capture().SkipsNextCapture());
    return;
  }
  // The item goes all the same, and the next clipboard change is not captured.
  EXPECT_EQ(Items(doc), (ItemList{"a", "c"}));
  EXPECT_TRUE(Capture().SkipsNextCapture());
  Run(res::ID_EDIT_UNDO);
  EXPECT_EQ(Items(doc), (ItemList{"a", "b", "c"}));
  m_pClipboard->SimulateCopy("skipped");
  EXPECT_EQ(Items(doc), (ItemList{"a", "b", "c"}));
  EXPECT_FALSE(Capture().SkipsNextCapture());
  EXPECT_EQ(Capture().ClipText(), "skipped");
  m_pClipboard->SimulateCopy("taken");
  EXPECT_EQ(Items(doc), (ItemList{"taken", "a", "b", "c"}));
}

const char kOpenFailed[] = "ｸﾘｯﾌﾟﾎﾞｰﾄﾞのｵｰﾌﾟﾝに失敗しました。";
const char kNoGlobalMemory[] = "ｸﾞﾛｰﾊﾞﾙﾒﾓﾘ不足のため、ｸﾘｯﾌﾟﾎﾞｰﾄﾞにﾃﾞｰﾀを設定できません。";

INSTANTIATE_TEST_SUITE_P(
    EditCommand, EditCommandWriteFailureTest,
    testing::Values(
        WriteFailureCase{"CopyCannotOpen", true, res::ID_EDIT_COPY, kOpenFailed,
                         platform::MbIcon::Exclamation, false},
        WriteFailureCase{"CopyNoMemory", false, res::ID_EDIT_COPY, kNoGlobalMemory,
                         platform::MbIcon::Stop, true},
        WriteFailureCase{"CutCannotOpen", true, res::ID_EDIT_CUT, kOpenFailed,
                         platform::MbIcon::Exclamation, false},
        WriteFailureCase{"CutNoMemory", false, res::ID_EDIT_CUT, kNoGlobalMemory,
                         platform::MbIcon::Stop, true}),
    [](const testing::TestParamInfo<WriteFailureCase>& info) { return info.param.name; });

// --- Delete -------------------------------------------------------------------------------

struct DeleteCase {
  const char* name;
  ItemList items;
  int select;
  ItemList after;
  int selected;
  bool modified;
  const char* count;
};

class EditCommandDeleteTest : public EditCommandTest,
                              public testing::WithParamInterface<DeleteCase> {};

TEST_P(EditCommandDeleteTest, DeleteSelectsTheRowThatTookItsPlace) {
  const DeleteCase& c = GetParam();
  StartWith(true);
  doc::CTolvaneDoc* doc = Fill(c.items, c.select);
  doc->SetModifiedFlag(true);
  EXPECT_TRUE(Run(res::ID_EDIT_CLEAR));
  EXPECT_EQ(Items(doc), c.after);
  EXPECT_EQ(Selected(), c.selected);
  EXPECT_EQ(doc->IsModified(), c.modified);
  EXPECT_EQ(doc->GetTitle(), c.modified ? "Tlvn1 *" : "Tlvn1");
  EXPECT_EQ(ItemCountText(), U(c.count));
  EXPECT_EQ(doc->m_strDeleted, c.items[c.select]);
  EXPECT_EQ(doc->m_nDeletedIndex, c.select);
  EXPECT_EQ(m_pClipboard->Text(), "clip");
}

INSTANTIATE_TEST_SUITE_P(
    EditCommand, EditCommandDeleteTest,
    testing::Values(
        DeleteCase{"OnlyItem", {"a"}, 0, {}, -1, false, "項目数 :     0"},
        DeleteCase{"LastOfSeveral", {"a", "b", "c"}, 2, {"a", "b"}, 1, true, "項目数 :     2"},
        DeleteCase{"First", {"a", "b", "c"}, 0, {"b", "c"}, 0, true, "項目数 :     2"},
        DeleteCase{"Middle", {"a", "b", "c"}, 1, {"a", "c"}, 1, true, "項目数 :     2"}),
    [](const testing::TestParamInfo<DeleteCase>& info) { return info.param.name; });

// --- Paste ----------------------------------------------------------------------------------

TEST_F(EditCommandTest, PasteOfAListedTextMovesItToTheHead) {
  StartWith(false);
  m_pClipboard->SimulateCopy("c");
  doc::CTolvaneDoc* doc = Fill({"a", "b", "c"}, 1);
  EXPECT_TRUE(Run(res::ID_EDIT_PASTE));
  EXPECT_EQ(Items(doc), (ItemList{"c", "a", "b"}));
  EXPECT_EQ(Selected(), 0);
  EXPECT_EQ(MarkedRows(), std::vector<int>{0});
  EXPECT_TRUE(doc->IsModified());
  EXPECT_EQ(ItemCountText(), U("項目数 :     3"));

  m_pClipboard->SimulateCopy("new");
  Run(res::ID_EDIT_PASTE);
  EXPECT_EQ(Items(doc), (ItemList{"new", "c", "a", "b"}));
  EXPECT_EQ(ItemCountText(), U("項目数 :     4"));
}

TEST_F(EditCommandTest, PasteIsDisabledWhileTheClipboardHoldsOnlyAnImage) {
  StartWith(false);
  doc::CTolvaneDoc* doc = Fill({"a"}, 0);
  m_pClipboard->SimulateImage();
  EXPECT_FALSE(Enabled(res::ID_EDIT_PASTE));
  EXPECT_FALSE(Run(res::ID_EDIT_PASTE));
  m_pClipboard->SimulateCopy("text");
  EXPECT_TRUE(Enabled(res::ID_EDIT_PASTE));
  EXPECT_TRUE(Run(res::ID_EDIT_PASTE));
  EXPECT_EQ(Items(doc), (ItemList{"text", "a"}));
}

TEST_F(EditCommandTest, PasteIntoAFullListIsRefusedUnlessTheTextIsListed) {
  StartWith(false);
  doc::CTolvaneDoc* doc = ActiveDoc();
  for (int i = 0; i < doc::kMaxCapturedItems; ++i) doc->ItemListForTesting().AddTail("item " + std::to_string(i));
  doc->UpdateAllViews(nullptr, 5);

  m_pClipboard->SimulateCopy("one more");
  Run(res::ID_EDIT_PASTE);
  ASSERT_EQ(m_pMessages->Count(), 1);
  EXPECT_EQ(m_pMessages->LastText(), U("項目数の制限は 32,767個までです。"));
  EXPECT_EQ(m_pMessages->Last().icon, platform::MbIcon::Stop);
  EXPECT_EQ(m_pMessages->Last().caption, "Tolvane");
  EXPECT_EQ(doc->GetItemList().GetCount(), 32767);
  EXPECT_EQ(doc->GetItemList().Find("one more"), -1);
  EXPECT_EQ(Selected(), 5);

  m_pClipboard->SimulateCopy("item 32766");
  Run(res::ID_EDIT_PASTE);
  EXPECT_EQ(m_pMessages->Count(), 1);
  EXPECT_EQ(doc->GetItemList().GetCount(), 32767);
  EXPECT_EQ(doc->GetItemList().GetAt(0), "item 32766");
  EXPECT_EQ(Selected(), 0);
}

// --- Modify ---------------------------------------------------------------------------------

struct ModifyCase {
  const char* name;
  bool autoPaste;
  ItemList items;
  int select;
  int button;  // 0: Clear, then Cancel
  const char* text;
  ItemList after;
  int selected;
  std::string clipboard;
  bool modified;
};

class EditCommandModifyTest : public EditCommandTest,
                              public testing::WithParamInterface<ModifyCase> {};

TEST_P(EditCommandModifyTest, ModifyAppliesTheChoiceAndSelects) {
  const ModifyCase& c = GetParam();
  StartWith(c.autoPaste);
  doc::CTolvaneDoc* doc = Fill(c.items, c.select);
  const int writes = m_pClipboard->WriteCount();
  QString opened;
  EXPECT_TRUE(RunModify([&](CClipEditDialog& dialog) {
    opened = dialog.TextBox()->toPlainText();
    if (c.button == 0) {
      dialog.Button(res::IDC_CLEAR)->click();
      dialog.Button(res::IDC_EDIT_CANCEL)->click();
      return;
    }
    Press(dialog, c.button, c.text);
  }));
  EXPECT_EQ(opened.toStdString(), c.items[c.select]);
  EXPECT_EQ(Items(doc), c.after);
  EXPECT_EQ(Selected(), c.selected);
  EXPECT_EQ(m_pClipboard->Text(), c.clipboard);
  EXPECT_EQ(m_pClipboard->WriteCount(), writes + (c.button == res::IDC_TRANSFER ? 1 : 0));
  EXPECT_EQ(doc->IsModified(), c.modified);
  EXPECT_EQ(ItemCountText(), QString::asprintf("%s%5d", "項目数 : ", int(c.after.size())));
  EXPECT_EQ(m_pMessages->Count(), 0);
}

constexpr int kUpdate = res::IDC_UPDATE;
constexpr int kInsert = res::IDC_INSERT;
constexpr int kTransfer = res::IDC_TRANSFER;

INSTANTIATE_TEST_SUITE_P(
    EditCommand, EditCommandModifyTest,
    testing::Values(
        ModifyCase{"UpdateNewText", true, {"a", "b", "c"}, 1, kUpdate, "x",
                   {"a", "x", "c"}, 1, "clip", true},
        ModifyCase{"UpdateToTextHeldAbove", true, {"a", "b", "c", "d"}, 2, kUpdate, "a",
                   {"b", "a", "d"}, 1, "clip", true},
        ModifyCase{"UpdateToTextHeldBelow", true, {"a", "b", "c", "d"}, 1, kUpdate, "d",
                   {"a", "d", "c"}, 1, "clip", true},
        ModifyCase{"InsertNewText", true, {"a", "b", "c"}, 1, kInsert, "x",
                   {"a", "x", "b", "c"}, 2, "clip", true},
        ModifyCase{"InsertTextHeldBelow", true, {"a", "b", "c", "d"}, 1, kInsert, "d",
                   {"a", "d", "b", "c"}, 2, "clip", true},
        ModifyCase{"InsertTextHeldAbove", true, {"a", "b", "c", "d"}, 2, kInsert, "a",
                   {"b", "a", "c", "d"}, 2, "clip", true},
        ModifyCase{"InsertAboveTheFirst", false, {"a", "b"}, 0, kInsert, "x",
                   {"x", "a", "b"}, 1, "clip", true},
        ModifyCase{"TransferUnchangedAutoPasteOff", false, {"a", "b", "c"}, 1, kTransfer, "b",
                   {"a", "b", "c"}, 1, "b", false},
        ModifyCase{"TransferUnchangedAutoPasteOn", true, {"a", "b", "c"}, 1, kTransfer, "b",
                   {"b", "a", "c"}, 0, "b", true},
        ModifyCase{"TransferEditedAutoPasteOn", true, {"a", "b", "c"}, 1, kTransfer, "x",
                   {"x", "a", "b", "c"}, 0, "x", true},
        ModifyCase{"ClearThenCancel", true, {"a", "b", "c"}, 1, 0, "",
                   {"a", "b", "c"}, 1, "clip", false}),
    [](const testing::TestParamInfo<ModifyCase>& info) { return info.param.name; });

// While the dialog is open, captures go on. Update and Insert act on the item the dialog
// was opened on wherever it went, and on nothing once it has left the list.
enum class WhileOpen { CaptureItsText, CaptureNewText, RemoveIt };

struct CaptureCase {
  const char* name;
  WhileOpen whileOpen;
  int button;
  ItemList after;  // from a, b, c with "c" selected
  int selected;
};

class EditCommandCaptureTest : public EditCommandTest,
                               public testing::WithParamInterface<CaptureCase> {};

TEST_P(EditCommandCaptureTest, ModifyActsOnTheItemWhereverCapturesMovedIt) {
  const CaptureCase& c = GetParam();
  StartWith(true);
  doc::CTolvaneDoc* doc = Fill({"a", "b", "c"}, 2);
  EXPECT_TRUE(RunModify([&](CClipEditDialog& dialog) {
    switch (c.whileOpen) {
      case WhileOpen::CaptureItsText:
        m_pClipboard->SimulateCopy("c");
        break;
      case WhileOpen::CaptureNewText:
        m_pClipboard->SimulateCopy("n");
        break;
      case WhileOpen::RemoveIt:
        doc->ItemListForTesting().RemoveAt(2);
        doc->UpdateAllViews(nullptr, -1);
        break;
    }
    Press(dialog, c.button, "z");
  }));
  EXPECT_EQ(Items(doc), c.after);
  if (c.selected != kAny) {
    EXPECT_EQ(Selected(), c.selected);
  }
  EXPECT_EQ(m_pMessages->Count(), 0);
}

INSTANTIATE_TEST_SUITE_P(
    EditCommand, EditCommandCaptureTest,
    testing::Values(
        CaptureCase{"UpdateAfterItsTextWasCaptured", WhileOpen::CaptureItsText, kUpdate,
                    {"z", "a", "b"}, 0},
        CaptureCase{"InsertAfterItsTextWasCaptured", WhileOpen::CaptureItsText, kInsert,
                    {"z", "c", "a", "b"}, 1},
        CaptureCase{"UpdateAfterANewCapture", WhileOpen::CaptureNewText, kUpdate,
                    {"n", "a", "b", "z"}, 3},
        CaptureCase{"InsertAfterANewCapture", WhileOpen::CaptureNewText, kInsert,
                    {"n", "a", "b", "z", "c"}, 4},
        CaptureCase{"UpdateAfterItLeft", WhileOpen::RemoveIt, kUpdate, {"a", "b"}, kAny},
        CaptureCase{"InsertAfterItLeft", WhileOpen::RemoveIt, kInsert, {"a", "b"}, kAny}),
    [](const testing::TestParamInfo<CaptureCase>& info) { return info.param.name; });

TEST_F(EditCommandTest, TransferAfterTheItemLeftStillPutsTheTextOnTheClipboard) {
  StartWith(false);
  doc::CTolvaneDoc* doc = Fill({"a", "b"}, 1);
  EXPECT_TRUE(RunModify([&](CClipEditDialog& dialog) {
    doc->ItemListForTesting().RemoveAt(1);
    doc->UpdateAllViews(nullptr, -1);
    Press(dialog, kTransfer, "edited");
  }));
  EXPECT_EQ(m_pClipboard->Text(), "edited");
  EXPECT_EQ(Items(doc), ItemList{"a"});
}

TEST_F(EditCommandTest, ModifyWithNothingSelectedOpensNoDialog) {
  StartWith(true);
  Fill({"a"}, -1);
  EXPECT_FALSE(Enabled(res::ID_EDIT_MODIFY));
  EXPECT_FALSE(RunModify([](CClipEditDialog&) {}));
}

}  // namespace
