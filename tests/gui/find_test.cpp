#include <QApplication>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/main_frame.h"
#include "app/tolvane_app.h"
#include "dialogs/byte_limited_line_edit.h"
#include "dialogs/find_dialog.h"
#include "document/clip_doc_template.h"
#include "document/tolvane_doc.h"
#include "framework/mdi_child_wnd.h"
#include "platform/code_page.h"
#include "resources/command_ids.h"
#include "support/app_fixture.h"
#include "view/clip_list_box.h"
#include "view/find_state.h"
#include "view/tolvane_view.h"

namespace {

using dialogs::CFindDialog;
using dialogs::FindNotice;
using platform::CodePage;

QString U(const char* text) { return QString::fromUtf8(text); }

// --- The dialog on its own --------------------------------------------------------------

class FindDialogTest : public testing::Test {
 protected:
  void TearDown() override { platform::SetSystemCodePage(CodePage::Utf8); }

  // Records the dialog's notices.
  void Listen(CFindDialog& dialog) {
    QObject::connect(&dialog, &CFindDialog::Notify,
                     [this](const FindNotice& notice) { m_notices.push_back(notice); });
  }
  std::vector<FindNotice> m_notices;
};

struct LimitCase {
  const char* name;
  CodePage cp;
  std::string offered;  // the initial text, in the code page
  int cursor;           // where `insert` goes; -1 for the end
  const char* insert;   // typed or pasted, UTF-8
  const char* expectedEnd;  // what follows the run of 'a' at the end
  std::size_t expectedBytes;
};

class FindDialogLimitTest : public FindDialogTest, public testing::WithParamInterface<LimitCase> {};

TEST_P(FindDialogLimitTest, BoxHoldsAtMost127BytesAndNeverSplitsACharacter) {
  const LimitCase& c = GetParam();
  platform::SetSystemCodePage(c.cp);
  CFindDialog dialog(nullptr, c.offered, true);
  dialogs::ByteLimitedLineEdit* box = dialog.TextBox();
  if (*c.insert) {
    box->setCursorPosition(c.cursor < 0 ? static_cast<int>(box->text().size()) : c.cursor);
    box->insert(U(c.insert));
  }
  const std::string text = dialog.FindText();
  EXPECT_EQ(text.size(), c.expectedBytes);
  const std::string end = platform::FromUtf8(c.expectedEnd, c.cp);
  EXPECT_EQ(text.substr(text.size() - end.size()), end) << box->text().toStdString();
  // What the box holds can be offered again unchanged.
  CFindDialog again(nullptr, text, true);
  EXPECT_EQ(again.FindText(), text);
}

INSTANTIATE_TEST_SUITE_P(
    CodePages, FindDialogLimitTest,
    testing::Values(
        LimitCase{"Utf8TypedPastTheLimit", CodePage::Utf8, std::string(120, 'a'), -1,
                  "bbbbbbbbbb", "bbbbbbb", 127},
        LimitCase{"Utf8CharacterThatDoesNotFit", CodePage::Utf8, std::string(125, 'a'), -1, "あ",
                  "aaa", 125},
        LimitCase{"Utf8PasteInTheMiddleKeepsTheRest", CodePage::Utf8, std::string(120, 'a') + "z",
                  1, "いいい", "az", 127},
        LimitCase{"Cp932DoubleByteFits", CodePage::Cp932, std::string(125, 'a'), -1, "あ", "aあ",
                  127},
        LimitCase{"Cp932HalfWidthKanaIsOneByte", CodePage::Cp932, std::string(125, 'a'), -1, "ｱｲｳ",
                  "ｱｲ", 127},
        LimitCase{"Cp932LongerTextOfferedIsCut", CodePage::Cp932,
                  std::string(126, 'a') + "\x82\xA0" + "b", -1, "", "a", 126}),
    [](const testing::TestParamInfo<LimitCase>& info) { return info.param.name; });

TEST_F(FindDialogTest, EnterFindsNextWithTextAndDirectionAndEscapeCloses) {
  CFindDialog dialog(nullptr, "", false);
  Listen(dialog);
  dialog.show();
  EXPECT_EQ(dialog.windowTitle(), U("検索"));
  EXPECT_TRUE(dialog.DirectionButton(false)->isChecked());
  QPushButton* findNext = dialog.Button(res::IDOK);
  EXPECT_EQ(findNext->text(), U("次を検索(&F)"));
  EXPECT_TRUE(findNext->isDefault());

  // An empty box: find next is disabled, Enter does nothing.
  EXPECT_FALSE(findNext->isEnabled());
  QTest::keyClick(dialog.TextBox(), Qt::Key_Return);
  EXPECT_TRUE(m_notices.empty());

  QTest::keyClicks(dialog.TextBox(), "abc");
  EXPECT_TRUE(findNext->isEnabled());
  QTest::keyClick(dialog.TextBox(), Qt::Key_Return);
  dialog.DirectionButton(true)->click();
  QTest::keyClick(dialog.TextBox(), Qt::Key_Enter);
  ASSERT_EQ(m_notices.size(), 2u);
  EXPECT_EQ(m_notices[0].flags, FindNotice::FR_FINDNEXT);
  EXPECT_EQ(m_notices[0].text, "abc");
  EXPECT_EQ(m_notices[1].flags, FindNotice::FR_FINDNEXT | FindNotice::FR_DOWN);
  EXPECT_TRUE(dialog.isVisible());

  QTest::keyClick(dialog.TextBox(), Qt::Key_Escape);
  ASSERT_EQ(m_notices.size(), 3u);
  EXPECT_TRUE(m_notices[2].flags & FindNotice::FR_DIALOGTERM);
  EXPECT_FALSE(dialog.isVisible());
}

// --- The view's find command ------------------------------------------------------------

class FindCommandTest : public testing_support::AppTest {
 protected:
  void SetUp() override {
    AppTest::SetUp();
    m_strStartClipText = "clip";
    Start();
  }

  doc::CTolvaneDoc* Fill(const std::vector<std::string>& items, int select) {
    doc::CTolvaneDoc* doc = ActiveDoc();
    doc->ItemListForTesting().RemoveAll();
    for (const std::string& item : items) doc->ItemListForTesting().AddTail(item);
    doc->UpdateAllViews(nullptr, select);
    doc->SetModifiedFlag(false);
    return doc;
  }
  view::FindState& State() const {
    return dynamic_cast<doc::CClipDocTemplate&>(*m_pApp->GetDocTemplate()).GetFindState();
  }
  CFindDialog* Dialog() const { return State().m_pFindDialog; }
  // Opens the dialog (through the command) and presses find next with `text`.
  void FindNext(const char* text, bool down) {
    if (!Dialog()) {
      ASSERT_TRUE(Run(res::ID_EDIT_FIND));
    }
    ASSERT_NE(Dialog(), nullptr);
    Dialog()->TextBox()->setText(U(text));
    Dialog()->DirectionButton(down)->click();
    Dialog()->Button(res::IDOK)->click();
  }
  static int Selected(view::CTolvaneView* view) { return view->ListBox()->GetCurSel(); }
  void ExpectNotFound(const char* message) {
    ASSERT_EQ(m_pMessages->Count(), 1);
    const platform::MessageBoxRequest& box = m_pMessages->Last();
    EXPECT_EQ(box.text, U(message));
    EXPECT_EQ(box.caption, U("編集-文字列の検索"));
    EXPECT_EQ(box.icon, platform::MbIcon::Information);
    EXPECT_EQ(box.buttons, platform::MbButtons::Ok);
    EXPECT_TRUE(box.systemModal);
    EXPECT_TRUE(box.beep);
    m_pMessages->Clear();
  }
};

struct PressCase {
  const char* name;
  bool down;
  int start;
  std::vector<int> stops;  // the selection after each press that finds
};

class FindPressTest : public FindCommandTest, public testing::WithParamInterface<PressCase> {};

TEST_P(FindPressTest, EachPressStepsToTheNextHitUntilTheNotFoundMessage) {
  const PressCase& c = GetParam();
  view::CTolvaneView* view = ActiveView();
  Fill({"ab", "x", "Ab", "b", "abc"}, c.start);
  for (int stop : c.stops) {
    FindNext("ab", c.down);
    EXPECT_EQ(Selected(view), stop);
    EXPECT_EQ(m_pMessages->Count(), 0);
  }
  FindNext("ab", c.down);
  ExpectNotFound("文字列 'ab' は見つかりませんでした。");
  EXPECT_EQ(Selected(view), c.stops.empty() ? c.start : c.stops.back());
  EXPECT_EQ(State().m_strLastFind, "ab");
  EXPECT_EQ(State().m_bSearchDown, c.down ? 1 : 0);
}

INSTANTIATE_TEST_SUITE_P(
    Directions, FindPressTest,
    testing::Values(PressCase{"DownFromTheFirstLine", true, 0, {4}},
                    PressCase{"DownWithNoSelection", true, -1, {0, 4}},
                    PressCase{"UpFromTheLastLine", false, 4, {0}},
                    PressCase{"UpWithNoSelectionFromTheLastItem", false, -1, {4, 0}},
                    PressCase{"DownFromTheLastLine", true, 4, {}},
                    PressCase{"UpFromTheFirstLine", false, 0, {}}),
    [](const testing::TestParamInfo<PressCase>& info) { return info.param.name; });

TEST_F(FindCommandTest, CommandNeedsItemsButAnOpenDialogSearchesTheEmptiedList) {
  Fill({}, -1);
  EXPECT_FALSE(Enabled(res::ID_EDIT_FIND));
  Fill({"one"}, 0);
  EXPECT_TRUE(Enabled(res::ID_EDIT_FIND));
  ASSERT_TRUE(Run(res::ID_EDIT_FIND));
  EXPECT_TRUE(Dialog()->isVisible());

  Fill({}, -1);
  FindNext("one", false);
  ExpectNotFound("文字列 'one' は見つかりませんでした。");
}

TEST_F(FindCommandTest, SecondViewRaisesTheDialogWhoseSearchesStayInTheFirstView) {
  doc::CTolvaneDoc* doc = Fill({"a", "b", "a"}, 0);
  view::CTolvaneView* first = ActiveView();
  ASSERT_TRUE(Run(res::ID_EDIT_FIND));
  CFindDialog* dialog = Dialog();

  ASSERT_TRUE(Run(res::ID_WINDOW_NEW));
  ProcessEvents();
  view::CTolvaneView* second = ActiveView();
  ASSERT_NE(second, first);
  doc->UpdateAllViews(nullptr, 1);
  ASSERT_TRUE(Run(res::ID_EDIT_FIND));
  EXPECT_EQ(Dialog(), dialog);
  EXPECT_EQ(State().m_pOwnerView, first);

  FindNext("a", true);
  EXPECT_EQ(Selected(first), 2);
  EXPECT_EQ(Selected(second), 1);
  EXPECT_EQ(m_pMessages->Count(), 0);
}

TEST_F(FindCommandTest, ClosingTheOwnersWindowClosesTheDialogWhichReopensAsItWas) {
  Fill({"a", "b"}, 0);
  fw::CMDIChildWnd* owner = ActiveChild();
  ASSERT_TRUE(Run(res::ID_WINDOW_NEW));
  ProcessEvents();
  fw::CMDIChildWnd* other = ActiveChild();
  Frame()->MDIActivate(owner);
  ASSERT_EQ(ActiveChild(), owner);

  FindNext("b", false);
  ExpectNotFound("文字列 'b' は見つかりませんでした。");
  const QPointer<CFindDialog> dialog = Dialog();
  dialog->move(140, 90);
  const QPoint place = dialog->frameGeometry().topLeft();

  // A view that does not own the dialog leaves it alone.
  other->CloseFrame();
  ProcessEvents();
  EXPECT_TRUE(dialog && dialog->isVisible());

  owner->CloseFrame();
  ProcessEvents();
  EXPECT_TRUE(dialog.isNull());
  EXPECT_EQ(State().m_pOwnerView, nullptr);

  NewDocument();
  Fill({"a", "b"}, -1);
  ASSERT_TRUE(Run(res::ID_EDIT_FIND));
  ASSERT_NE(Dialog(), nullptr);
  EXPECT_EQ(Dialog()->frameGeometry().topLeft(), place);
  EXPECT_EQ(Dialog()->TextBox()->text(), U("b"));
  EXPECT_TRUE(Dialog()->DirectionButton(false)->isChecked());

  // Cancel closes it the same way.
  Dialog()->Button(res::IDCANCEL)->click();
  ProcessEvents();
  EXPECT_EQ(Dialog(), nullptr);
  EXPECT_EQ(State().m_pOwnerView, nullptr);
}

}  // namespace
