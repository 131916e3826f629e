#include <QApplication>
#include <QTest>
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/main_frame.h"
#include "app/tolvane_app.h"
#include "document/tolvane_doc.h"
#include "framework/doc_template.h"
#include "framework/mdi_child_wnd.h"
#include "platform/alloc_fault.h"
#include "platform/message_box.h"
#include "resources/command_ids.h"
#include "support/app_fixture.h"
#include "view/clip_list_box.h"
#include "view/clip_list_model.h"
#include "view/tolvane_view.h"

namespace {

using platform::MbIcon;
using testing_support::AppTest;
using Texts = std::vector<std::string>;

const std::string kMarker = "◎";

QString Utf8(const char* text) { return QString::fromUtf8(text); }

view::CTolvaneView* ViewOf(fw::CMDIChildWnd* frame) {
  return dynamic_cast<view::CTolvaneView*>(frame->GetActiveView());
}

std::vector<view::CTolvaneView*> ViewsOf(const doc::CTolvaneDoc* doc) {
  std::vector<view::CTolvaneView*> views;
  for (fw::CView* v : doc->GetViews()) views.push_back(dynamic_cast<view::CTolvaneView*>(v));
  return views;
}

int Selection(const view::CTolvaneView* view) { return view->ListBox()->GetCurSel(); }
int Rows(const view::CTolvaneView* view) { return view->Model()->rowCount(); }
std::string Line(const view::CTolvaneView* view, int row) {
  return view->Model()->DisplayLine(row);
}

class DocumentTest : public AppTest {
 protected:
  void SetUp() override {
    AppTest::SetUp();
    Start();
    ASSERT_NE(ActiveDoc(), nullptr);
  }

  void Copy(const std::string& text) {
    m_pClipboard->SimulateCopy(text);
    ProcessEvents();
  }

  // Items put straight into the list (as a file load would), the views refilled.
  static void Fill(doc::CTolvaneDoc* doc, const Texts& items) {
    for (const std::string& item : items) doc->ItemListForTesting().AddTail(item);
    doc->UpdateAllViews(nullptr, 0);
  }

  // What the view's Delete command does: record the item, remove it, refill, flag.
  static void DeleteAt(doc::CTolvaneDoc* doc, int position) {
    doc->m_nDeletedIndex = position;
    doc->m_strDeleted = doc->GetItemList().GetAt(position);
    doc->ItemListForTesting().RemoveAt(position);
    const int count = doc->GetItemList().GetCount();
    doc->UpdateAllViews(nullptr, position < count ? position : position - 1);
    doc->SetModifiedFlag(count > 0);
  }

  void ExpectMessage(const char* text, MbIcon icon, bool beep, bool systemModal) {
    ASSERT_EQ(m_pMessages->Count(), 1) << m_pMessages->LastText().toStdString();
    const platform::MessageBoxRequest& shown = m_pMessages->Last();
    EXPECT_EQ(shown.text, Utf8(text));
    EXPECT_EQ(shown.caption, "Tolvane");
    EXPECT_EQ(shown.icon, icon);
    EXPECT_EQ(shown.buttons, platform::MbButtons::Ok);
    EXPECT_EQ(shown.beep, beep);
    EXPECT_EQ(shown.systemModal, systemModal);
  }

  QString CountText(int count) const {
    return Utf8("項目数 : ") + QString::number(count).rightJustified(5, QLatin1Char(' '));
  }
};

TEST_F(DocumentTest, NewDocumentsAreNumberedAndNumbersAreNotReused) {
  doc::CTolvaneDoc* first = ActiveDoc();
  fw::CMDIChildWnd* firstFrame = ActiveChild();
  EXPECT_EQ(first->GetTitle(), "Tlvn1");
  EXPECT_EQ(NewDocument()->GetTitle(), "Tlvn2");
  EXPECT_EQ(Frame()->windowTitle(), "Tolvane - Tlvn2");

  Frame()->MDIActivate(firstFrame);
  ASSERT_TRUE(Run(res::ID_FILE_CLOSE));
  ProcessEvents();
  ASSERT_EQ(Frame()->GetChildFrames().size(), 1u);
  EXPECT_EQ(ActiveDoc()->GetTitle(), "Tlvn2");

  EXPECT_EQ(NewDocument()->GetTitle(), "Tlvn3");
  EXPECT_EQ(ActiveChild()->windowTitle(), "Tlvn3");
  EXPECT_EQ(Frame()->windowTitle(), "Tolvane - Tlvn3");
}

TEST_F(DocumentTest, TitleMarkerFollowsTheModifiedFlagOnce) {
  doc::CTolvaneDoc* doc = ActiveDoc();
  doc->SetModifiedFlag(true);
  doc->SetModifiedFlag(true);
  EXPECT_TRUE(doc->IsModified());
  EXPECT_EQ(doc->GetTitle(), "Tlvn1 *");
  EXPECT_EQ(ActiveChild()->windowTitle(), "Tlvn1 *");
  EXPECT_EQ(Frame()->windowTitle(), "Tolvane - Tlvn1 *");

  doc->SetModifiedFlag(false);
  EXPECT_FALSE(doc->IsModified());
  EXPECT_EQ(doc->GetTitle(), "Tlvn1");
  doc->SetModifiedFlag(false);
  EXPECT_EQ(doc->GetTitle(), "Tlvn1");
  EXPECT_EQ(Frame()->windowTitle(), "Tolvane - Tlvn1");
}

// The frame then shows the application title alone; the client area adds the maximized
// window's title in brackets, as desktop MDI frames do.
TEST_F(DocumentTest, MaximizedDocumentWindowTitleStandsInBrackets) {
  ActiveChild()->showMaximized();
  ProcessEvents();
  EXPECT_EQ(Frame()->windowTitle(), "Tolvane - [Tlvn1]");
  ActiveDoc()->SetModifiedFlag(true);
  ProcessEvents();
  EXPECT_EQ(Frame()->windowTitle(), "Tolvane - [Tlvn1 *]");
  ActiveChild()->showNormal();
  ProcessEvents();
  EXPECT_EQ(Frame()->windowTitle(), "Tolvane - Tlvn1 *");
}

TEST_F(DocumentTest, SameTextTwiceKeepsOneItemAtTheHead) {
  doc::CTolvaneDoc* doc = ActiveDoc();
  Copy("a");
  Copy("b");
  Copy("b");
  EXPECT_EQ(Items(doc), (Texts{"b", "a"}));

  // Equal to the first item: the content stays, but the document is modified again.
  doc->SetModifiedFlag(false);
  ActiveView()->ListBox()->SetCurSel(1);
  Copy("b");
  EXPECT_EQ(Items(doc), (Texts{"b", "a"}));
  EXPECT_TRUE(doc->IsModified());
  EXPECT_EQ(doc->GetTitle(), "Tlvn1 *");
  EXPECT_EQ(Selection(ActiveView()), 0);
  EXPECT_EQ(m_pMessages->Count(), 0);
}

class MoveToHeadTest : public DocumentTest, public testing::WithParamInterface<int> {};

TEST_P(MoveToHeadTest, EqualItemMovesToTheHead) {
  const int k = GetParam();
  doc::CTolvaneDoc* doc = ActiveDoc();
  Fill(doc, {"t0", "t1", "t2", "t3", "t4"});
  Texts expected = {"t0", "t1", "t2", "t3", "t4"};
  expected.erase(expected.begin() + k);
  expected.insert(expected.begin(), "t" + std::to_string(k));

  Copy("t" + std::to_string(k));
  EXPECT_EQ(Items(doc), expected);
  EXPECT_EQ(Selection(ActiveView()), 0);
  EXPECT_EQ(Line(ActiveView(), 0), kMarker + "t" + std::to_string(k));
  EXPECT_EQ(ItemCountText(), CountText(5));
}

INSTANTIATE_TEST_SUITE_P(All, MoveToHeadTest, testing::Values(1, 2, 4));

TEST_F(DocumentTest, TextsDifferingOnlyInLineEndsOrCaseAreDifferentItems) {
  doc::CTolvaneDoc* doc = ActiveDoc();
  for (const char* text : {"x\r\ny", "x\ny", "X\ny", "x\ny ", "x\ny"}) Copy(text);
  EXPECT_EQ(Items(doc), (Texts{"x\ny", "x\ny ", "X\ny", "x\r\ny"}));
}

class ItemLimitTest : public DocumentTest {
 protected:
  void FillTo(int count) {
    doc::CTolvaneDoc* doc = ActiveDoc();
    for (int i = 0; i < count; ++i) doc->ItemListForTesting().AddTail("item" + std::to_string(i));
    doc->UpdateAllViews(nullptr, 0);
  }
};

TEST_F(ItemLimitTest, FullListRefusesNewTextButMovesListedText) {
  FillTo(doc::kMaxCapturedItems);
  doc::CTolvaneDoc* doc = ActiveDoc();
  Frame()->UpdateItemCount(123);  // a refused text leaves the pane as it was

  Copy("new text");
  ExpectMessage("項目数の制限は 32,767個までです。", MbIcon::Stop, true, true);
  EXPECT_EQ(doc->GetItemList().GetCount(), 32767);
  EXPECT_EQ(doc->GetItemList().GetAt(0), "item0");
  EXPECT_EQ(doc->GetItemList().Find("new text"), -1);
  EXPECT_FALSE(doc->IsModified());
  EXPECT_EQ(ItemCountText(), CountText(123));

  m_pMessages->Clear();
  Copy("item500");
  EXPECT_EQ(m_pMessages->Count(), 0);
  EXPECT_EQ(doc->GetItemList().GetCount(), 32767);
  EXPECT_EQ(doc->GetItemList().GetAt(0), "item500");
  EXPECT_EQ(doc->GetItemList().GetAt(500), "item499");
  EXPECT_EQ(doc->GetItemList().GetAt(501), "item501");
  EXPECT_TRUE(doc->IsModified());
}

// A list that grew beyond the limit elsewhere loses the equal item and then refuses it.
TEST_F(ItemLimitTest, OverfullListLosesTheEqualItem) {
  FillTo(doc::kMaxCapturedItems + 1);
  doc::CTolvaneDoc* doc = ActiveDoc();
  Copy("item10");
  ExpectMessage("項目数の制限は 32,767個までです。", MbIcon::Stop, true, true);
  EXPECT_EQ(doc->GetItemList().GetCount(), 32767);
  EXPECT_EQ(doc->GetItemList().Find("item10"), -1);
  EXPECT_EQ(doc->GetItemList().GetAt(0), "item0");
  // The view shows the list as it now is: one line fewer, the next item in its place.
  EXPECT_EQ(ActiveView()->ListBox()->GetCount(), 32767);
  EXPECT_EQ(ActiveView()->Model()->DisplayText(10).trimmed(), QStringLiteral("item11"));
}

TEST_F(DocumentTest, OutOfMemoryWhileAddingKeepsListViewsAndCountInStep) {
  doc::CTolvaneDoc* doc = ActiveDoc();
  Fill(doc, {"a", "x", "b"});
  doc->SetModifiedFlag(false);

  platform::FailNextAllocations(1);
  Copy("new");
  ExpectMessage("ﾒﾓﾘ不足でｸﾘｯﾌﾟﾎﾞｰﾄﾞの文字列を追加できません。", MbIcon::Stop, true, true);
  EXPECT_EQ(Items(doc), (Texts{"a", "x", "b"}));
  EXPECT_FALSE(doc->IsModified());

  // The equal item had already left the list when the addition failed.
  m_pMessages->Clear();
  platform::FailNextAllocations(1);
  Copy("x");
  EXPECT_EQ(m_pMessages->Count(), 1);
  const Texts items = Items(doc);
  ASSERT_EQ(Rows(ActiveView()), static_cast<int>(items.size()));
  for (int i = 0; i < Rows(ActiveView()); ++i) {
    EXPECT_EQ(Line(ActiveView(), i).substr(2), items[i]) << i;
  }
  EXPECT_EQ(ItemCountText(), CountText(static_cast<int>(items.size())));
}

TEST_F(DocumentTest, UndoAfterRecaptureRestoresTheOldPositionOnce) {
  doc::CTolvaneDoc* doc = ActiveDoc();
  Fill(doc, {"a", "b", "c"});
  DeleteAt(doc, 1);
  Copy("b");
  ASSERT_EQ(Items(doc), (Texts{"b", "a", "c"}));

  ASSERT_TRUE(Enabled(res::ID_EDIT_UNDO));
  ASSERT_TRUE(Run(res::ID_EDIT_UNDO));
  EXPECT_EQ(Items(doc), (Texts{"a", "b", "c"}));
  EXPECT_EQ(Selection(ActiveView()), 1);
  EXPECT_TRUE(doc->m_strDeleted.empty());
  EXPECT_EQ(doc->m_nDeletedIndex, -1);

  // The second time there is nothing left to undo.
  EXPECT_FALSE(Enabled(res::ID_EDIT_UNDO));
  EXPECT_FALSE(Run(res::ID_EDIT_UNDO));
  EXPECT_EQ(Items(doc), (Texts{"a", "b", "c"}));
}

struct UndoAfterClearCase {
  int deleted;
  const char* text;
  int selection;
};

class UndoAfterClearAllTest : public DocumentTest,
                              public testing::WithParamInterface<UndoAfterClearCase> {};

// The restored text is selected only when its recorded position is still in the list.
TEST_P(UndoAfterClearAllTest, DeletedItemComesBackAlone) {
  const UndoAfterClearCase& c = GetParam();
  doc::CTolvaneDoc* doc = ActiveDoc();
  Fill(doc, {"a", "b", "c"});
  DeleteAt(doc, c.deleted);
  ASSERT_TRUE(Run(res::ID_EDIT_CLEAR_ALL));
  ASSERT_TRUE(doc->GetItemList().IsEmpty());

  ASSERT_TRUE(Run(res::ID_EDIT_UNDO));
  EXPECT_EQ(Items(doc), Texts{c.text});
  EXPECT_EQ(Selection(ActiveView()), c.selection);
  EXPECT_TRUE(doc->IsModified());
  EXPECT_EQ(doc->GetTitle(), "Tlvn1 *");
  EXPECT_EQ(ItemCountText(), CountText(1));
}

INSTANTIATE_TEST_SUITE_P(All, UndoAfterClearAllTest,
                         testing::Values(UndoAfterClearCase{0, "a", 0},
                                         UndoAfterClearCase{2, "c", -1}));

TEST_F(DocumentTest, OutOfMemoryOnUndoKeepsTheRecord) {
  doc::CTolvaneDoc* doc = ActiveDoc();
  Fill(doc, {"a", "b", "c"});
  DeleteAt(doc, 1);
  doc->SetModifiedFlag(false);

  platform::FailNextAllocations(1);
  ASSERT_TRUE(Run(res::ID_EDIT_UNDO));
  ExpectMessage("ﾒﾓﾘ不足で削除されたﾃｷｽﾄを復元できません。", MbIcon::Stop, true, false);
  EXPECT_EQ(Items(doc), (Texts{"a", "c"}));
  EXPECT_EQ(doc->m_strDeleted, "b");
  EXPECT_EQ(doc->m_nDeletedIndex, 1);
  EXPECT_FALSE(doc->IsModified());

  ASSERT_TRUE(Run(res::ID_EDIT_UNDO));
  EXPECT_EQ(Items(doc), (Texts{"a", "b", "c"}));
}

TEST_F(DocumentTest, DeleteAllCancelledChangesNothing) {
  doc::CTolvaneDoc* doc = ActiveDoc();
  Copy("b");
  Copy("a");
  m_pMessages->Answer(platform::IDCANCEL);
  ASSERT_TRUE(Run(res::ID_EDIT_CLEAR_ALL));
  ASSERT_EQ(m_pMessages->Count(), 1);
  const platform::MessageBoxRequest& shown = m_pMessages->Last();
  EXPECT_EQ(shown.text, Utf8("すべての項目を削除してよろしいですか？"));
  EXPECT_EQ(shown.icon, MbIcon::Exclamation);
  EXPECT_EQ(shown.buttons, platform::MbButtons::OkCancel);
  EXPECT_EQ(shown.helpContext, 0x10000u + 57633u);
  EXPECT_FALSE(shown.beep);
  EXPECT_EQ(Items(doc), (Texts{"a", "b"}));
  EXPECT_EQ(doc->GetTitle(), "Tlvn1 *");
  EXPECT_EQ(Rows(ActiveView()), 2);
}

TEST_F(DocumentTest, DeleteAllConfirmedEmptiesButKeepsTheUndoRecord) {
  doc::CTolvaneDoc* doc = ActiveDoc();
  Fill(doc, {"a", "b", "c"});
  DeleteAt(doc, 2);
  ASSERT_EQ(doc->GetTitle(), "Tlvn1 *");

  m_pMessages->Answer(platform::IDOK);
  ASSERT_TRUE(Run(res::ID_EDIT_CLEAR_ALL));
  EXPECT_TRUE(doc->GetItemList().IsEmpty());
  EXPECT_FALSE(doc->IsModified());
  EXPECT_EQ(doc->GetTitle(), "Tlvn1");
  EXPECT_EQ(ItemCountText(), CountText(0));
  EXPECT_EQ(Rows(ActiveView()), 0);
  EXPECT_EQ(Selection(ActiveView()), -1);
  EXPECT_TRUE(Enabled(res::ID_EDIT_UNDO));
  EXPECT_FALSE(Enabled(res::ID_EDIT_CLEAR_ALL));
}

class ClearAllWhileCapturingTest : public DocumentTest,
                                   public testing::WithParamInterface<int> {};

// The confirmation runs its own event loop: a capture made while it waits lands in the
// list, and the answer then applies to the list as it is.
TEST_P(ClearAllWhileCapturingTest, CaptureDuringTheConfirmationIsKeptInStep) {
  const bool confirmed = GetParam() == platform::IDOK;
  doc::CTolvaneDoc* doc = ActiveDoc();
  Copy("b");
  Copy("a");
  m_pMessages->WhileOpen([this] { m_pClipboard->SimulateCopy("during"); });
  m_pMessages->Answer(GetParam());
  ASSERT_TRUE(Run(res::ID_EDIT_CLEAR_ALL));
  ProcessEvents();
  const Texts expected = confirmed ? Texts{} : Texts{"during", "a", "b"};
  EXPECT_EQ(Items(doc), expected);
  EXPECT_EQ(Rows(ActiveView()), static_cast<int>(expected.size()));
  EXPECT_EQ(doc->IsModified(), !confirmed);
  EXPECT_EQ(ItemCountText(), CountText(static_cast<int>(expected.size())));
}

INSTANTIATE_TEST_SUITE_P(All, ClearAllWhileCapturingTest,
                         testing::Values(platform::IDOK, platform::IDCANCEL));

TEST_F(DocumentTest, AutoPasteOffKeepsTheListButTheMarkerFollows) {
  doc::CTolvaneDoc* doc = ActiveDoc();
  Copy("b");
  Copy("a");
  ASSERT_TRUE(Run(res::ID_CLIP_AUTO_PASTE));
  EXPECT_FALSE(Checked(res::ID_CLIP_AUTO_PASTE));

  Copy("b");
  EXPECT_EQ(Items(doc), (Texts{"a", "b"}));
  EXPECT_EQ(Capture().ClipText(), "b");
  EXPECT_EQ(Line(ActiveView(), 0), "  a");
  EXPECT_EQ(Line(ActiveView(), 1), kMarker + "b");

  ASSERT_TRUE(Run(res::ID_CLIP_AUTO_PASTE));
  Copy("c");
  EXPECT_EQ(Items(doc), (Texts{"c", "a", "b"}));
}

TEST_F(DocumentTest, SkipFlagSkipsOneCaptureWhileAutoPasteIsOn) {
  doc::CTolvaneDoc* doc = ActiveDoc();
  Capture().SkipNextCapture();
  Copy("cut text");
  EXPECT_TRUE(Items(doc).empty());
  EXPECT_FALSE(Capture().SkipsNextCapture());
  EXPECT_EQ(Capture().ClipText(), "cut text");
  Copy("next");
  EXPECT_EQ(Items(doc), Texts{"next"});
}

// With auto paste off the flag is neither tested nor cleared, so it skips the first
// capture after auto paste is on again.
TEST_F(DocumentTest, SkipFlagOutlivesAutoPasteOff) {
  doc::CTolvaneDoc* doc = ActiveDoc();
  ASSERT_TRUE(Run(res::ID_CLIP_AUTO_PASTE));
  Capture().SkipNextCapture();
  Copy("cut text");
  EXPECT_TRUE(Capture().SkipsNextCapture());
  ASSERT_TRUE(Run(res::ID_CLIP_AUTO_PASTE));
  Copy("first after");
  EXPECT_TRUE(Items(doc).empty());
  EXPECT_FALSE(Capture().SkipsNextCapture());
  Copy("second after");
  EXPECT_EQ(Items(doc), Texts{"second after"});
}

struct NoTextCase {
  const char* name;
  void (*change)(testing_support::FakeClipboardPort& clipboard);
};

void PrintTo(const NoTextCase& c, std::ostream* os) { *os << c.name; }

class NoTextTest : public DocumentTest, public testing::WithParamInterface<NoTextCase> {};

TEST_P(NoTextTest, ClipboardWithoutTextEmptiesTheCurrentText) {
  doc::CTolvaneDoc* doc = ActiveDoc();
  Copy("a");
  ASSERT_EQ(Line(ActiveView(), 0), kMarker + "a");
  GetParam().change(*m_pClipboard);
  ProcessEvents();
  EXPECT_EQ(Capture().ClipText(), "");
  EXPECT_EQ(Items(doc), Texts{"a"});
  EXPECT_EQ(Line(ActiveView(), 0), "  a");
  EXPECT_EQ(m_pMessages->Count(), 0);
}

INSTANTIATE_TEST_SUITE_P(
    All, NoTextTest,
    testing::Values(
        NoTextCase{"Cleared", [](testing_support::FakeClipboardPort& c) { c.SimulateClear(); }},
        NoTextCase{"ImageOnly", [](testing_support::FakeClipboardPort& c) { c.SimulateImage(); }}),
    [](const testing::TestParamInfo<NoTextCase>& info) { return info.param.name; });

TEST_F(DocumentTest, WithoutDocumentWindowTheTextWaitsForTheNextDocument) {
  ASSERT_TRUE(Run(res::ID_WINDOW_CLOSE_ALL));
  ProcessEvents();
  ASSERT_EQ(ActiveChild(), nullptr);
  Copy("waiting");
  EXPECT_EQ(Capture().ClipText(), "waiting");
  EXPECT_EQ(m_pMessages->Count(), 0);

  doc::CTolvaneDoc* doc = NewDocument();
  ASSERT_NE(doc, nullptr);
  EXPECT_EQ(Items(doc), Texts{"waiting"});
  EXPECT_EQ(doc->GetTitle(), "Tlvn2 *");
  EXPECT_EQ(Line(ActiveView(), 0), kMarker + "waiting");
  EXPECT_EQ(Selection(ActiveView()), 0);
}

// The previous text stays current and, with auto paste on, is added again.
TEST_F(DocumentTest, ClipboardInUseKeepsAndReaddsThePreviousText) {
  doc::CTolvaneDoc* doc = ActiveDoc();
  Copy("a");
  doc->ItemListForTesting().AddHead("other");
  doc->SetModifiedFlag(false);

  m_pClipboard->m_bFailOpen = true;
  Copy("unreadable");
  ExpectMessage("他のｱﾌﾟﾘｹｰｼｮﾝがｸﾘｯﾌﾟﾎﾞｰﾄﾞ使用中のため、ﾃﾞｰﾀを取得できませんでした。",
                MbIcon::Stop, true, true);
  EXPECT_EQ(Capture().ClipText(), "a");
  EXPECT_EQ(Items(doc), (Texts{"a", "other"}));
  EXPECT_TRUE(doc->IsModified());
}

TEST_F(DocumentTest, NoMemoryForClipboardTextEmptiesTheCurrentText) {
  doc::CTolvaneDoc* doc = ActiveDoc();
  Copy("a");
  m_pClipboard->m_bFailReadMemory = true;
  Copy("too big");
  ExpectMessage("ﾒﾓﾘ不足でｸﾘｯﾌﾟﾎﾞｰﾄﾞの文字列を取得できません。", MbIcon::Stop, true, true);
  EXPECT_EQ(Capture().ClipText(), "");
  EXPECT_EQ(Items(doc), Texts{"a"});
  EXPECT_EQ(Line(ActiveView(), 0), "  a");
}

TEST_F(DocumentTest, ClearClipboardIsEnabledByAnyFormat) {
  EXPECT_FALSE(Enabled(res::ID_CLIP_CLEAR));
  m_pClipboard->SimulateImage();
  EXPECT_TRUE(Enabled(res::ID_CLIP_CLEAR));
  Copy("a");
  EXPECT_TRUE(Enabled(res::ID_CLIP_CLEAR));

  ASSERT_TRUE(Run(res::ID_CLIP_CLEAR));
  ProcessEvents();
  EXPECT_FALSE(m_pClipboard->HasAnyFormat());
  EXPECT_EQ(Capture().ClipText(), "");
  EXPECT_EQ(Items(ActiveDoc()), Texts{"a"});
  EXPECT_EQ(Line(ActiveView(), 0), "  a");
  EXPECT_FALSE(Enabled(res::ID_CLIP_CLEAR));
  EXPECT_EQ(m_pMessages->Count(), 0);
}

TEST_F(DocumentTest, ClearClipboardThatCannotBeOpenedSaysSo) {
  Copy("a");
  m_pClipboard->m_bFailOpen = true;
  ASSERT_TRUE(Run(res::ID_CLIP_CLEAR));
  ExpectMessage("ｸﾘｯﾌﾟﾎﾞｰﾄﾞのｵｰﾌﾟﾝに失敗しました。", MbIcon::Exclamation, false, false);
  EXPECT_EQ(m_pClipboard->Text(), "a");
  EXPECT_EQ(Capture().ClipText(), "a");
}

// The marker counts as two bytes: a line of up to 260 bytes stays whole, a longer one
// keeps 256 bytes and gets "...".
TEST_F(DocumentTest, LongItemsAreShortenedForDisplay) {
  doc::CTolvaneDoc* doc = ActiveDoc();
  const std::string item258(258, 'a');
  const std::string item259(259, 'b');
  Fill(doc, {item258, item259});
  view::CTolvaneView* view = ActiveView();
  EXPECT_EQ(Line(view, 0), "  " + item258);
  EXPECT_EQ(Line(view, 1), "  " + std::string(254, 'b') + "...");
  EXPECT_EQ(Line(view, 1).size(), 259u);

  ASSERT_TRUE(Run(res::ID_CLIP_AUTO_PASTE));
  Copy(item259);
  EXPECT_EQ(Line(view, 1), kMarker + std::string(254, 'b') + "...");
  Copy(item258);
  EXPECT_EQ(Line(view, 0), kMarker + item258);
  EXPECT_EQ(Items(doc), (Texts{item258, item259}));
}

TEST_F(DocumentTest, EveryDuplicateOfTheClipboardTextIsMarked) {
  doc::CTolvaneDoc* doc = ActiveDoc();
  Fill(doc, {"dup", "other", "dup", "", "dup ", std::string("dup\0x", 5)});
  ASSERT_TRUE(Run(res::ID_CLIP_AUTO_PASTE));
  Copy("dup");
  view::CTolvaneView* view = ActiveView();
  EXPECT_EQ(Line(view, 0), kMarker + "dup");
  EXPECT_EQ(Line(view, 1), "  other");
  EXPECT_EQ(Line(view, 2), kMarker + "dup");
  EXPECT_EQ(Line(view, 3), "  ");
  EXPECT_EQ(Line(view, 4), "  dup ");
  EXPECT_EQ(Line(view, 5), kMarker + "dup");

  // With no text on the clipboard only an empty item equals it.
  m_pClipboard->SimulateClear();
  ProcessEvents();
  EXPECT_EQ(Line(view, 0), "  dup");
  EXPECT_EQ(Line(view, 3), kMarker);
}

TEST_F(DocumentTest, TwoWindowsOnOneDocumentAreNumberedAndSelectAlike) {
  doc::CTolvaneDoc* doc = ActiveDoc();
  Copy("c");
  Copy("b");
  Copy("a");
  fw::CMDIChildWnd* first = ActiveChild();
  ASSERT_TRUE(Run(res::ID_WINDOW_NEW));
  ProcessEvents();
  fw::CMDIChildWnd* second = ActiveChild();
  ASSERT_NE(second, first);
  ASSERT_EQ(doc->GetViews().size(), 2u);
  EXPECT_EQ(first->windowTitle(), "Tlvn1 *:1");
  EXPECT_EQ(second->windowTitle(), "Tlvn1 *:2");
  EXPECT_EQ(Frame()->windowTitle(), "Tolvane - Tlvn1 *");
  EXPECT_EQ(Rows(ViewOf(second)), 3);

  DeleteAt(doc, 1);
  for (view::CTolvaneView* view : ViewsOf(doc)) EXPECT_EQ(Selection(view), 1);
  ASSERT_TRUE(Run(res::ID_EDIT_UNDO));
  Copy("d");
  for (view::CTolvaneView* view : ViewsOf(doc)) {
    EXPECT_EQ(Rows(view), 4);
    EXPECT_EQ(Selection(view), 0);
    EXPECT_EQ(Line(view, 0), kMarker + "d");
  }

  // The clean document's windows lose the marker together; a lone window its number.
  doc->SetModifiedFlag(false);
  EXPECT_EQ(first->windowTitle(), "Tlvn1:1");
  EXPECT_EQ(second->windowTitle(), "Tlvn1:2");
  first->CloseFrame();
  ProcessEvents();
  ASSERT_EQ(doc->GetViews().size(), 1u);
  EXPECT_EQ(second->windowTitle(), "Tlvn1");
}

class FocusTest : public DocumentTest {
 protected:
  void Focus(fw::CMDIChildWnd* frame) {
    Frame()->MDIActivate(frame);
    ViewOf(frame)->setFocus(Qt::OtherFocusReason);
    ProcessEvents();
  }
};

TEST_F(FocusTest, FocusedViewShowsItsCount) {
  Frame()->activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(Frame()));
  fw::CMDIChildWnd* first = ActiveChild();
  Fill(ActiveDoc(), {"a", "b", "c"});
  doc::CTolvaneDoc* second = NewDocument();
  fw::CMDIChildWnd* secondFrame = ActiveChild();
  Fill(second, {"x"});

  Focus(first);
  EXPECT_EQ(ItemCountText(), CountText(3));
  EXPECT_EQ(QApplication::focusWidget(), ViewOf(first)->ListBox());
  Focus(secondFrame);
  EXPECT_EQ(ItemCountText(), CountText(1));
  Focus(first);
  EXPECT_EQ(ItemCountText(), CountText(3));
}

TEST_F(DocumentTest, EachViewKeepsItsSelectionAcrossClipboardChanges) {
  view::CTolvaneView* first = ActiveView();
  Fill(ActiveDoc(), {"a", "b", "c"});
  first->ListBox()->SetCurSel(2);
  doc::CTolvaneDoc* second = NewDocument();
  view::CTolvaneView* secondView = ActiveView();
  Fill(second, {"x", "b"});
  secondView->ListBox()->SetCurSel(1);
  NewDocument();
  view::CTolvaneView* third = ActiveView();
  Fill(ActiveDoc(), {"p", "q"});
  third->ListBox()->SetCurSel(-1);

  ASSERT_TRUE(Run(res::ID_CLIP_AUTO_PASTE));
  Copy("b");
  EXPECT_EQ(Selection(first), 2);
  EXPECT_EQ(Selection(secondView), 1);
  // A view without a selection selects its first item.
  EXPECT_EQ(Selection(third), 0);
  EXPECT_EQ(Line(first, 1), kMarker + "b");
  EXPECT_EQ(Line(secondView, 1), kMarker + "b");
}

TEST_F(DocumentTest, ClosingTheOnlyWindowClearsTheCount) {
  Copy("a");
  Copy("b");
  ASSERT_EQ(ItemCountText(), CountText(2));
  ASSERT_TRUE(Run(res::ID_FILE_CLOSE));
  ProcessEvents();
  EXPECT_EQ(ActiveChild(), nullptr);
  EXPECT_EQ(ItemCountText(), CountText(0));
  EXPECT_EQ(m_pMessages->Count(), 0);
}

// Modified documents close without a question, and so does the program.
TEST_F(DocumentTest, CloseAllClosesEveryWindowWithoutAsking) {
  Copy("a");
  ASSERT_TRUE(Run(res::ID_WINDOW_NEW));
  NewDocument();
  Copy("b");
  ASSERT_EQ(Frame()->GetChildFrames().size(), 3u);
  ASSERT_TRUE(Run(res::ID_WINDOW_CLOSE_ALL));
  ProcessEvents();
  EXPECT_TRUE(Frame()->GetChildFrames().empty());
  EXPECT_TRUE(m_pApp->GetDocTemplate()->GetDocuments().empty());
  EXPECT_TRUE(Run(res::ID_WINDOW_CLOSE_ALL));

  NewDocument();
  Copy("c");
  Exit();
  EXPECT_EQ(m_pMessages->Count(), 0);
}

// Only the window at the bottom of the stack clears the pane as it goes.
TEST_F(DocumentTest, ClosingTheBottomWindowClearsTheCountAndTheTopOneDoesNot) {
  doc::CTolvaneDoc* bottom = ActiveDoc();
  Fill(bottom, {"a", "b", "c"});
  doc::CTolvaneDoc* middle = NewDocument();
  Fill(middle, {"m"});
  doc::CTolvaneDoc* top = NewDocument();
  Copy("x");
  Copy("y");
  ASSERT_EQ(ItemCountText(), CountText(2));

  bottom->GetDocTemplate()->CloseDocument(bottom);
  ProcessEvents();
  EXPECT_EQ(ItemCountText(), CountText(0));

  Frame()->UpdateItemCount(2);
  ASSERT_EQ(ActiveDoc(), top);
  top->GetDocTemplate()->CloseDocument(top);
  ProcessEvents();
  EXPECT_NE(ItemCountText(), CountText(0));
  EXPECT_EQ(ActiveDoc(), middle);
}

}  // namespace
