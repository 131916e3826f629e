#include <QApplication>
#include <QClipboard>
#include <QPushButton>
#include <QScrollBar>
#include <QTest>
#include <QTextBlock>
#include <QTimer>
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "app/tolvane_app.h"
#include "dialogs/byte_limited_text_edit.h"
#include "dialogs/clip_edit_dialog.h"
#include "platform/alloc_fault.h"
#include "platform/code_page.h"
#include "platform/message_box.h"
#include "resources/command_ids.h"
#include "support/app_fixture.h"

namespace {

using dialogs::CClipEditDialog;
using platform::CodePage;
using testing_support::AppTest;

QString U(const char* text) { return QString::fromUtf8(text); }

constexpr int kUpdate = res::IDC_UPDATE;
constexpr int kInsert = res::IDC_INSERT;
constexpr int kTransfer = res::IDC_TRANSFER;
constexpr int kCancel = res::IDC_EDIT_CANCEL;
constexpr int kClear = res::IDC_CLEAR;

// The dialog keeps a reference to the item's text: it must outlive the dialog.
const std::string kItem = "item";

const char kEnterText[] = "何か文字列を入力して下さい。";
const char kNoText[] = "文字列未入力";
const char kSameUpdate[] = "同じ文字列では更新できません。";
const char kSameInsert[] = "同じ文字列は挿入できません。";
const char kSameText[] = "同一文字列";

// The dialogs here have no owner: the edit dialog on its own, as the view makes it.
class EditDialogTest : public AppTest {
 protected:
  // Runs the dialog modally; `whileOpen` runs inside its loop once it is shown. A dialog
  // still open afterwards is cancelled, so that no test can hang on it.
  static int RunDialog(CClipEditDialog& dialog, const std::function<void()>& whileOpen) {
    QTimer::singleShot(0, &dialog, [&] {
      EXPECT_TRUE(QTest::qWaitForWindowActive(&dialog));
      whileOpen();
      if (dialog.isVisible()) dialog.Button(kCancel)->click();
    });
    return dialog.DoModal();
  }
  static void Type(QWidget* widget, const QString& text) {
    for (QChar c : text) QTest::sendKeyEvent(QTest::Click, widget, Qt::Key_unknown, QString(c), {});
  }
  static void SetBox(CClipEditDialog& dialog, const char* text) {
    dialog.TextBox()->setPlainText(U(text));
  }
};

// --- Layout ---------------------------------------------------------------------------------

TEST_F(EditDialogTest, TextBoxComesFirstThenTheButtonsNoneOfThemDefault) {
  CClipEditDialog dialog(nullptr, kItem);
  EXPECT_EQ(dialog.windowTitle(), U("編集-修正"));

  std::vector<QWidget*> tabOrder;
  for (QWidget* w = dialog.nextInFocusChain(); w != &dialog; w = w->nextInFocusChain()) {
    if ((w->focusPolicy() & Qt::TabFocus) && w->isVisibleTo(&dialog)) tabOrder.push_back(w);
  }
  const std::vector<int> buttonIds = {kUpdate, kInsert, kTransfer, kCancel, kClear};
  std::vector<QWidget*> expected = {dialog.TextBox()};
  for (int id : buttonIds) expected.push_back(dialog.Button(id));
  EXPECT_EQ(tabOrder, expected);

  QStringList texts;
  int lastTop = -1;
  for (int id : buttonIds) {
    QPushButton* button = dialog.Button(id);
    texts << button->text();
    EXPECT_FALSE(button->isDefault()) << id;
    EXPECT_FALSE(button->autoDefault()) << id;
    EXPECT_GT(button->geometry().left(), dialog.TextBox()->geometry().right()) << id;
    EXPECT_GT(button->geometry().top(), lastTop) << id;
    lastTop = button->geometry().bottom();
  }
  EXPECT_EQ(texts, (QStringList{U("更新(&U)"), U("挿入(&I)"), U("転送(&T)"), U("ｷｬﾝｾﾙ"),
                                U("消去(&C)")}));
  EXPECT_EQ(dialog.TextBox()->lineWrapMode(), QPlainTextEdit::WidgetWidth);
  EXPECT_EQ(dialog.TextBox()->horizontalScrollBarPolicy(), Qt::ScrollBarAlwaysOff);

  QWidget* focused = nullptr;
  QString shown;
  RunDialog(dialog, [&] {
    focused = QApplication::focusWidget();
    shown = dialog.TextBox()->toPlainText();
  });
  EXPECT_EQ(focused, dialog.TextBox());
  EXPECT_EQ(shown, "item");
}

// --- Keys in the box -----------------------------------------------------------------------

class EditDialogEnterTest : public EditDialogTest, public testing::WithParamInterface<Qt::Key> {};

TEST_P(EditDialogEnterTest, EnterPutsALineBreakIntoTheText) {
  const std::string item = "line one";
  CClipEditDialog dialog(nullptr, item);
  bool stayedOpen = false;
  const int result = RunDialog(dialog, [&] {
    dialog.TextBox()->moveCursor(QTextCursor::End);
    QTest::keyClick(dialog.TextBox(), GetParam());
    stayedOpen = dialog.isVisible();
    QTest::keyClicks(dialog.TextBox(), "two");
    dialog.Button(kUpdate)->click();
  });
  EXPECT_TRUE(stayedOpen);
  EXPECT_EQ(result, CClipEditDialog::IDUPDATE);
  EXPECT_EQ(dialog.EditedText(), "line one\ntwo");
}

INSTANTIATE_TEST_SUITE_P(EditDialog, EditDialogEnterTest,
                         testing::Values(Qt::Key_Return, Qt::Key_Enter),
                         [](const testing::TestParamInfo<Qt::Key>& info) {
                           return info.param == Qt::Key_Return ? "Return" : "KeypadEnter";
                         });

TEST_F(EditDialogTest, ItemWithCrLfComesBackWithCrLf) {
  const std::string item = "l1\r\nl2";
  CClipEditDialog dialog(nullptr, item);
  EXPECT_EQ(dialog.TextBox()->toPlainText(), "l1\nl2");
  const int result = RunDialog(dialog, [&] {
    dialog.TextBox()->moveCursor(QTextCursor::End);
    QTest::keyClick(dialog.TextBox(), Qt::Key_Return);
    QTest::keyClicks(dialog.TextBox(), "l3");
    dialog.Button(kInsert)->click();
  });
  EXPECT_EQ(result, CClipEditDialog::IDINSERT);
  EXPECT_EQ(dialog.EditedText(), "l1\r\nl2\r\nl3");
}

TEST_F(EditDialogTest, UnchangedCrLfItemIsTheSameText) {
  const std::string item = "l1\r\nl2\r\n";
  CClipEditDialog update(nullptr, item);
  RunDialog(update, [&] { update.Button(kUpdate)->click(); });
  ASSERT_EQ(m_pMessages->Count(), 1);
  EXPECT_EQ(m_pMessages->LastText(), U(kSameUpdate));

  CClipEditDialog transfer(nullptr, item);
  EXPECT_EQ(RunDialog(transfer, [&] { transfer.Button(kTransfer)->click(); }),
            CClipEditDialog::IDTRANSFER);
  EXPECT_EQ(transfer.EditedText(), "l1\r\nl2\r\n");
}

// --- The text comes back byte for byte ----------------------------------------------------

struct ExactCase {
  const char* name;
  std::string item;
  QTextCursor::MoveOperation move;  // where the typing starts
  const char* keys;                 // '\n' presses Return, '\b' Backspace
  int button;
  int result;          // IDCANCELEDIT: refused with `message`
  const char* text;    // the edited text after an accepted run
  const char* message;
};

class EditDialogExactTest : public EditDialogTest, public testing::WithParamInterface<ExactCase> {};

// No-break spaces, Unicode separators, lone CRs and mixed line breaks survive the box:
// untouched it gives back the item's bytes, edited it changes only what was typed.
TEST_P(EditDialogExactTest, BoxGivesBackEveryCharacterNotTyped) {
  const ExactCase& c = GetParam();
  const std::string item = c.item;
  CClipEditDialog dialog(nullptr, item);
  const int result = RunDialog(dialog, [&] {
    dialog.TextBox()->moveCursor(c.move);
    for (const char* k = c.keys; *k; ++k) {
      if (*k == '\n') QTest::keyClick(dialog.TextBox(), Qt::Key_Return);
      else if (*k == '\b') QTest::keyClick(dialog.TextBox(), Qt::Key_Backspace);
      else Type(dialog.TextBox(), QString(QChar(*k)));
    }
    dialog.Button(c.button)->click();
  });
  EXPECT_EQ(result, c.result);
  if (c.result == CClipEditDialog::IDCANCELEDIT) {
    ASSERT_EQ(m_pMessages->Count(), 1);
    EXPECT_EQ(m_pMessages->LastText(), U(c.message));
    return;
  }
  EXPECT_EQ(m_pMessages->Count(), 0);
  EXPECT_EQ(dialog.EditedText(), c.text);
}

constexpr auto kStart = QTextCursor::Start;
constexpr auto kEnd = QTextCursor::End;
constexpr auto kEndOfLine = QTextCursor::EndOfBlock;  // of the first line
constexpr int kRefused = CClipEditDialog::IDCANCELEDIT;

INSTANTIATE_TEST_SUITE_P(
    EditDialog, EditDialogExactTest,
    testing::Values(
        // Untouched.
        ExactCase{"NbspTransfer", "a\u00A0b", kEnd, "", kTransfer, CClipEditDialog::IDTRANSFER, "a\u00A0b", ""},
        ExactCase{"NbspUpdateIsTheSameText", "a\u00A0b", kEnd, "", kUpdate, kRefused, "", kSameUpdate},
        ExactCase{"TypedAndErasedIsTheSameText", "a\u00A0b", kEnd, "x\b", kUpdate, kRefused, "", kSameUpdate},
        ExactCase{"LineSeparatorInsertIsTheSameText", "x\u2028y", kEnd, "", kInsert, kRefused, "", kSameInsert},
        ExactCase{"ParagraphSeparatorTransfer", "x\u2029y", kEnd, "", kTransfer, CClipEditDialog::IDTRANSFER, "x\u2029y", ""},
        ExactCase{"LoneCrTransfer", "p\rq", kEnd, "", kTransfer, CClipEditDialog::IDTRANSFER, "p\rq", ""},
        ExactCase{"MixedBreaksTransfer", "m1\r\nm2\nm3", kEnd, "", kTransfer, CClipEditDialog::IDTRANSFER, "m1\r\nm2\nm3", ""},
        // The box holds what the list shows: the text before a zero byte.
        ExactCase{"ZeroByteTransfer", {"ab\0cd", 5}, kEnd, "", kTransfer, CClipEditDialog::IDTRANSFER, "ab", ""},
        ExactCase{"ZeroByteUpdateIsTheSameText", {"ab\0cd", 5}, kEnd, "", kUpdate, kRefused, "", kSameUpdate},
        // Edited.
        ExactCase{"NbspAndLineSeparatorEdited", "a\u00A0b\u2028c", kEnd, "d", kUpdate, CClipEditDialog::IDUPDATE, "a\u00A0b\u2028cd", ""},
        ExactCase{"MixedBreaksEditedAtTheStart", "m1\r\nm2\nm3", kStart, "0", kUpdate, CClipEditDialog::IDUPDATE, "0m1\r\nm2\nm3", ""},
        // A new line takes the item's first kind of break; the others stay as they were.
        ExactCase{"MixedBreaksNewLine", "m1\r\nm2\nm3", kEndOfLine, "\nn", kInsert, CClipEditDialog::IDINSERT, "m1\r\nn\r\nm2\nm3", ""},
        ExactCase{"LoneCrNewLine", "p\rq", kEnd, "\nr", kTransfer, CClipEditDialog::IDTRANSFER, "p\rq\rr", ""},
        ExactCase{"FirstLineErased", "m1\r\nm2\nm3", kEndOfLine, "\b\b", kUpdate, CClipEditDialog::IDUPDATE, "\r\nm2\nm3", ""}),
    [](const testing::TestParamInfo<ExactCase>& info) { return info.param.name; });

// --- Refusals -------------------------------------------------------------------------------

struct RefusalCase {
  const char* name;
  const char* box;
  int button;
  const char* message;
  const char* caption;
};

class EditDialogRefusalTest : public EditDialogTest,
                              public testing::WithParamInterface<RefusalCase> {};

TEST_P(EditDialogRefusalTest, RefusedTextKeepsTheDialogOpenWithTheBoxFocused) {
  const RefusalCase& c = GetParam();
  CClipEditDialog dialog(nullptr, kItem);
  bool stayedOpen = false;
  bool boxFocused = false;
  const int result = RunDialog(dialog, [&] {
    SetBox(dialog, c.box);
    dialog.Button(c.button)->setFocus();
    dialog.Button(c.button)->click();
    stayedOpen = dialog.isVisible();
    boxFocused = QApplication::focusWidget() == dialog.TextBox();
  });
  EXPECT_TRUE(stayedOpen);
  EXPECT_TRUE(boxFocused);
  EXPECT_EQ(result, CClipEditDialog::IDCANCELEDIT);
  ASSERT_EQ(m_pMessages->Count(), 1);
  const platform::MessageBoxRequest& shown = m_pMessages->Last();
  EXPECT_EQ(shown.text, U(c.message));
  EXPECT_EQ(shown.caption, U(c.caption));
  EXPECT_EQ(shown.icon, platform::MbIcon::Exclamation);
  EXPECT_EQ(shown.buttons, platform::MbButtons::Ok);
  EXPECT_FALSE(shown.beep);
  EXPECT_EQ(shown.owner, &dialog);
}

INSTANTIATE_TEST_SUITE_P(
    EditDialog, EditDialogRefusalTest,
    testing::Values(RefusalCase{"UpdateEmpty", "", kUpdate, kEnterText, kNoText},
                    RefusalCase{"InsertEmpty", "", kInsert, kEnterText, kNoText},
                    RefusalCase{"TransferEmpty", "", kTransfer, kEnterText, kNoText},
                    RefusalCase{"UpdateSame", "item", kUpdate, kSameUpdate, kSameText},
                    RefusalCase{"InsertSame", "item", kInsert, kSameInsert, kSameText}),
    [](const testing::TestParamInfo<RefusalCase>& info) { return info.param.name; });

struct AcceptCase {
  const char* name;
  const char* box;
  int button;
  int result;
};

class EditDialogAcceptTest : public EditDialogTest, public testing::WithParamInterface<AcceptCase> {};

TEST_P(EditDialogAcceptTest, ButtonEndsTheRunWithTheBoxText) {
  const AcceptCase& c = GetParam();
  CClipEditDialog dialog(nullptr, kItem);
  const int result = RunDialog(dialog, [&] {
    SetBox(dialog, c.box);
    dialog.Button(c.button)->click();
  });
  EXPECT_EQ(result, c.result);
  EXPECT_EQ(dialog.EditedText(), c.box);
  EXPECT_EQ(m_pMessages->Count(), 0);
}

INSTANTIATE_TEST_SUITE_P(
    EditDialog, EditDialogAcceptTest,
    testing::Values(AcceptCase{"Update", "Item", kUpdate, CClipEditDialog::IDUPDATE},
                    AcceptCase{"Insert", "item ", kInsert, CClipEditDialog::IDINSERT},
                    AcceptCase{"TransferUnchanged", "item", kTransfer, CClipEditDialog::IDTRANSFER},
                    AcceptCase{"TransferEdited", "other", kTransfer, CClipEditDialog::IDTRANSFER}),
    [](const testing::TestParamInfo<AcceptCase>& info) { return info.param.name; });

// --- Cancel and Clear -----------------------------------------------------------------------

enum class CancelWay { Button, Escape, CloseBox };

class EditDialogCancelTest : public EditDialogTest, public testing::WithParamInterface<CancelWay> {};

TEST_P(EditDialogCancelTest, CancelEndsTheRunWithoutReadingTheBox) {
  CClipEditDialog dialog(nullptr, kItem);
  const int result = RunDialog(dialog, [&] {
    QTest::keyClicks(dialog.TextBox(), "typed");
    switch (GetParam()) {
      case CancelWay::Button: dialog.Button(kCancel)->click(); break;
      case CancelWay::Escape: QTest::keyClick(dialog.TextBox(), Qt::Key_Escape); break;
      case CancelWay::CloseBox: dialog.close(); break;
    }
  });
  EXPECT_EQ(result, CClipEditDialog::IDCANCELEDIT);
  EXPECT_EQ(dialog.EditedText(), "item");
  EXPECT_FALSE(dialog.isVisible());
  EXPECT_EQ(m_pMessages->Count(), 0);
}

INSTANTIATE_TEST_SUITE_P(EditDialog, EditDialogCancelTest,
                         testing::Values(CancelWay::Button, CancelWay::Escape, CancelWay::CloseBox),
                         [](const testing::TestParamInfo<CancelWay>& info) {
                           switch (info.param) {
                             case CancelWay::Button: return "Button";
                             case CancelWay::Escape: return "Escape";
                             case CancelWay::CloseBox: return "CloseBox";
                           }
                           return "";
                         });

TEST_F(EditDialogTest, ClearEmptiesTheBoxAndTheRunGoesOn) {
  CClipEditDialog dialog(nullptr, kItem);
  bool stayedOpen = false;
  bool boxFocused = false;
  QString box = "unset";
  const int result = RunDialog(dialog, [&] {
    dialog.Button(kClear)->setFocus();
    dialog.Button(kClear)->click();
    stayedOpen = dialog.isVisible();
    boxFocused = QApplication::focusWidget() == dialog.TextBox();
    box = dialog.TextBox()->toPlainText();
    dialog.Button(kCancel)->click();
  });
  EXPECT_TRUE(stayedOpen);
  EXPECT_TRUE(boxFocused);
  EXPECT_TRUE(box.isEmpty());
  EXPECT_EQ(result, CClipEditDialog::IDCANCELEDIT);
  EXPECT_EQ(m_pMessages->Count(), 0);
}

// --- The byte limit -------------------------------------------------------------------------

struct LimitCase {
  const char* name;
  CodePage codePage;
  std::string item;     // in the code page
  const char* pasted;   // one character, pasted many times over
  int pastedFit;        // how many of them fit
  const char* filler;   // one single-byte character, typed up to the limit
};

class EditDialogLimitTest : public EditDialogTest, public testing::WithParamInterface<LimitCase> {};

TEST_P(EditDialogLimitTest, PasteBeyondTheLimitIsCutOnACharacterBoundary) {
  const LimitCase& c = GetParam();
  platform::SetSystemCodePage(c.codePage);
  CClipEditDialog dialog(nullptr, c.item);
  const std::size_t limit = c.item.size() + 32767;
  EXPECT_EQ(dialog.TextBox()->ByteLimit(), limit);
  const auto bytesInBox = [&] {
    return platform::FromUtf8(dialog.TextBox()->toPlainText().toStdString(), c.codePage).size();
  };

  int pastedFit = 0;
  std::size_t afterPaste = 0;
  std::size_t afterFill = 0;
  std::size_t afterOneMore = 0;
  const int result = RunDialog(dialog, [&] {
    dialog.TextBox()->moveCursor(QTextCursor::End);
    QApplication::clipboard()->setText(U(c.pasted).repeated(20000));
    dialog.TextBox()->paste();
    QApplication::clipboard()->clear();
    pastedFit = dialog.TextBox()->toPlainText().count(U(c.pasted));
    afterPaste = bytesInBox();
    for (int i = 0; i < 8 && bytesInBox() < limit; ++i) Type(dialog.TextBox(), U(c.filler));
    afterFill = bytesInBox();
    Type(dialog.TextBox(), U(c.filler));
    afterOneMore = bytesInBox();
    dialog.Button(kTransfer)->click();
  });
  EXPECT_EQ(pastedFit, c.pastedFit);
  EXPECT_LE(afterPaste, limit);
  EXPECT_EQ(afterFill, limit);
  EXPECT_EQ(afterOneMore, limit);
  ASSERT_EQ(result, CClipEditDialog::IDTRANSFER);
  const std::string& edited = dialog.EditedText();
  EXPECT_EQ(edited.size(), limit);
  EXPECT_EQ(edited.substr(0, c.item.size()), c.item);
  // Whole characters only: the text converts back and forth unchanged.
  EXPECT_EQ(platform::FromUtf8(platform::ToUtf8(edited, c.codePage), c.codePage), edited);
  EXPECT_EQ(platform::ToUtf8(edited, c.codePage).find("\xEF\xBF\xBD"), std::string::npos);
}

INSTANTIATE_TEST_SUITE_P(
    EditDialog, EditDialogLimitTest,
    testing::Values(
        // 32,767 = 3 * 10,922 + 1 and 4 * 8,191 + 3.
        LimitCase{"Utf8", CodePage::Utf8, "ab", "あ", 10922, "x"},
        LimitCase{"Utf8FourByteCharacters", CodePage::Utf8, "a", "😀", 8191, "x"},
        // 32,767 = 2 * 16,383 + 1; half-width katakana take one byte in CP932.
        LimitCase{"Cp932", CodePage::Cp932, "abc", "あ", 16383, "ｱ"},
        LimitCase{"Cp932ItemWithDoubleByteText", CodePage::Cp932,
                  platform::FromUtf8("修正", CodePage::Cp932), "漢", 16383, "ｱ"}),
    [](const testing::TestParamInfo<LimitCase>& info) { return info.param.name; });

TEST_F(EditDialogTest, ItemOfSeveralMegabytesOpensWhole) {
  std::string item;
  for (int i = 0; item.size() < 4 * 1024 * 1024; ++i) {
    item += "line " + std::to_string(i) + " of a long item that fills the box many times over\n";
  }
  item += "the end";
  CClipEditDialog dialog(nullptr, item);
  EXPECT_EQ(dialog.TextBox()->ByteLimit(), item.size() + 32767);
  qsizetype boxLength = 0;
  int lastVisibleBlock = -1;
  const int result = RunDialog(dialog, [&] {
    boxLength = dialog.TextBox()->toPlainText().size();
    QScrollBar* bar = dialog.TextBox()->verticalScrollBar();
    bar->setValue(bar->maximum());
    QApplication::processEvents();
    const QRect viewport = dialog.TextBox()->viewport()->rect();
    lastVisibleBlock =
        dialog.TextBox()->cursorForPosition(viewport.bottomLeft() - QPoint(-2, 2)).blockNumber();
    dialog.Button(kTransfer)->click();
  });
  EXPECT_EQ(boxLength, static_cast<qsizetype>(item.size()));
  EXPECT_EQ(lastVisibleBlock, dialog.TextBox()->document()->blockCount() - 1);
  EXPECT_EQ(result, CClipEditDialog::IDTRANSFER);
  EXPECT_TRUE(dialog.EditedText() == item);
}

TEST_F(EditDialogTest, ItemTextThatCannotBeCopiedOpensAnEmptyBox) {
  platform::FailNextAllocations(1);
  CClipEditDialog dialog(nullptr, kItem);
  ASSERT_EQ(m_pMessages->Count(), 1);
  const platform::MessageBoxRequest& shown = m_pMessages->Last();
  EXPECT_EQ(shown.text, U("ﾒﾓﾘ不足で修正用ﾃｷｽﾄを取得できません。"));
  EXPECT_EQ(shown.caption, "Tolvane");
  EXPECT_EQ(shown.icon, platform::MbIcon::Stop);
  EXPECT_TRUE(shown.beep);
  EXPECT_TRUE(dialog.TextBox()->toPlainText().isEmpty());
  EXPECT_EQ(dialog.TextBox()->ByteLimit(), 32767u);

  // The item's own text is still what Update compares against.
  const int result = RunDialog(dialog, [&] {
    SetBox(dialog, "item");
    dialog.Button(kUpdate)->click();
    SetBox(dialog, "item 2");
    dialog.Button(kUpdate)->click();
  });
  ASSERT_EQ(m_pMessages->Count(), 2);
  EXPECT_EQ(m_pMessages->LastText(), U(kSameUpdate));
  EXPECT_EQ(result, CClipEditDialog::IDUPDATE);
  EXPECT_EQ(dialog.EditedText(), "item 2");
}

}  // namespace
