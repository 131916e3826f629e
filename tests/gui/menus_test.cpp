#include <QAction>
#include <QApplication>
#include <QDialog>
#include <QLabel>
#include <QMdiArea>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QStatusBar>
#include <QTest>
#include <QTimer>
#include <QToolBar>
#include <gtest/gtest.h>

#include <functional>
#include <set>
#include <string>
#include <vector>

#include "app/main_frame.h"
#include "app/tolvane_app.h"
#include "dialogs/clip_edit_dialog.h"
#include "document/tolvane_doc.h"
#include "framework/command_bars.h"
#include "framework/mdi_child_wnd.h"
#include "framework/win_app.h"
#include "resources/command_ids.h"
#include "support/app_fixture.h"
#include "view/clip_list_box.h"
#include "view/tolvane_view.h"

namespace {

using testing_support::AppTest;
using ItemList = std::vector<std::string>;

QString U(const char* text) { return QString::fromUtf8(text); }

const char kIdleText[] = "ﾍﾙﾌﾟを表示するには [F1] を押してください。";

class MenusTest : public AppTest {
 protected:
  fw::CommandBars* Bars() const { return Frame()->GetCommandBars(); }

  QStringList MenuTitles() const {
    QStringList titles;
    for (QMenu* popup : Bars()->Popups()) titles << popup->title();
    return titles;
  }

  QMenu* PopupOf(const QAction* action) const {
    for (QMenu* popup : Bars()->Popups()) {
      if (popup->actions().contains(const_cast<QAction*>(action))) return popup;
    }
    return nullptr;
  }

  // The menu item of `id` after its popup was asked for its items' states, as it is
  // when the popup opens; null when the current menu has no such item.
  QAction* OpenedItem(unsigned id) {
    QAction* action = Bars()->FindMenuAction(id);
    if (QMenu* popup = PopupOf(action)) Bars()->UpdateMenu(popup);
    return action;
  }
  bool ItemEnabled(unsigned id) {
    QAction* action = OpenedItem(id);
    EXPECT_NE(action, nullptr) << "no menu item " << id;
    return action && action->isEnabled();
  }
  bool ItemChecked(unsigned id) {
    QAction* action = OpenedItem(id);
    EXPECT_NE(action, nullptr) << "no menu item " << id;
    return action && action->isChecked();
  }

  // Replaces the items of the active document and selects `select`.
  doc::CTolvaneDoc* Fill(const ItemList& items, int select) {
    doc::CTolvaneDoc* doc = ActiveDoc();
    doc->ItemListForTesting().RemoveAll();
    for (const std::string& item : items) doc->ItemListForTesting().AddTail(item);
    doc->UpdateAllViews(nullptr, select);
    return doc;
  }
  view::CClipListBox* List() const { return ActiveView()->ListBox(); }
  int Selected() const { return List()->GetCurSel(); }

  // Window shortcuts need the main window active and the list focused.
  void ActivateWithListFocus() {
    Frame()->show();
    Frame()->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(Frame()));
    List()->setFocus();
    ProcessEvents();
  }
  void Key(Qt::Key key, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
    QWidget* target = QApplication::focusWidget();
    ASSERT_NE(target, nullptr);
    QTest::keyClick(target, key, modifiers);
    ProcessEvents();
  }
};

// --- Menus 128 and 129 ----------------------------------------------------------------

const QStringList kMenu128 = {U("ﾌｧｲﾙ(&F)"), U("表示(&V)"), U("ﾍﾙﾌﾟ(&H)")};
const QStringList kMenu129 = {U("ﾌｧｲﾙ(&F)"),      U("編集(&E)"),   U("表示(&V)"),
                              U("ｸﾘｯﾌﾟﾎﾞｰﾄﾞ(&C)"), U("ｳｨﾝﾄﾞｳ(&W)"), U("ﾍﾙﾌﾟ(&H)")};

TEST_F(MenusTest, MenuFollowsWhetherADocumentWindowIsOpen) {
  Start();
  EXPECT_EQ(Bars()->CurrentMenu(), 129u);
  EXPECT_EQ(MenuTitles(), kMenu129);
  EXPECT_EQ(OpenedItem(res::ID_APP_ABOUT)->text(), U("ﾊﾞｰｼﾞｮﾝ情報(Tolvane) (&A)..."));

  Run(res::ID_FILE_CLOSE);
  ProcessEvents();
  EXPECT_EQ(Frame()->GetChildFrames().size(), 0u);
  EXPECT_EQ(Bars()->CurrentMenu(), 128u);
  EXPECT_EQ(MenuTitles(), kMenu128);
  EXPECT_EQ(Frame()->menuBar()->actions().size(), 3);
  for (unsigned id : {res::ID_EDIT_COPY, res::ID_EDIT_MODIFY, res::ID_CLIP_AUTO_PASTE,
                      res::ID_WINDOW_CASCADE, res::ID_FILE_CLOSE, res::ID_FILE_SAVE}) {
    EXPECT_EQ(Bars()->FindMenuAction(id), nullptr) << id;
  }
  EXPECT_EQ(OpenedItem(res::ID_APP_ABOUT)->text(), U("ﾊﾞｰｼﾞｮﾝ情報(Tolvane)(&A)..."));
  EXPECT_TRUE(ItemEnabled(res::ID_FILE_NEW));
  EXPECT_TRUE(ItemEnabled(res::ID_APP_EXIT));
  EXPECT_TRUE(ItemEnabled(res::ID_APP_ABOUT));
  EXPECT_FALSE(ItemEnabled(res::ID_FILE_MRU_FILE1));
  EXPECT_TRUE(ItemChecked(res::ID_VIEW_TOOLBAR));
  // Commands of the document type have nobody to answer for them.
  EXPECT_FALSE(Enabled(res::ID_EDIT_PASTE));
  EXPECT_FALSE(Enabled(res::ID_WINDOW_NEW));

  NewDocument();
  EXPECT_EQ(MenuTitles(), kMenu129);
  NewDocument();
  Run(res::ID_FILE_CLOSE);
  ProcessEvents();
  EXPECT_EQ(Frame()->GetChildFrames().size(), 1u);
  EXPECT_EQ(MenuTitles(), kMenu129);
  Run(res::ID_WINDOW_CLOSE_ALL);
  ProcessEvents();
  EXPECT_EQ(MenuTitles(), kMenu128);
}

TEST_F(MenusTest, CtrlF4ClosesTheActiveWindowAndTheLastOneBringsMenu128) {
  Start();
  fw::CMDIChildWnd* first = ActiveChild();
  NewDocument();
  fw::CMDIChildWnd* second = ActiveChild();
  ASSERT_NE(first, second);
  ActivateWithListFocus();

  Key(Qt::Key_F4, Qt::ControlModifier);
  ASSERT_EQ(Frame()->GetChildFrames().size(), 1u);
  EXPECT_EQ(ActiveChild(), first);
  EXPECT_EQ(Bars()->CurrentMenu(), 129u);

  List()->setFocus();
  ProcessEvents();
  Key(Qt::Key_F4, Qt::ControlModifier);
  EXPECT_TRUE(Frame()->GetChildFrames().empty());
  EXPECT_EQ(ActiveChild(), nullptr);
  EXPECT_EQ(MenuTitles(), kMenu128);
  EXPECT_EQ(m_pMessages->Count(), 0);
}

TEST_F(MenusTest, WindowMenuListsTheOpenDocumentWindows) {
  Start();
  fw::CMDIChildWnd* first = ActiveChild();
  NewDocument();
  Run(res::ID_WINDOW_NEW);  // a second window on Tlvn2
  ProcessEvents();
  ASSERT_EQ(Frame()->GetChildFrames().size(), 3u);

  QMenu* windowMenu = Bars()->Popups().at(4);
  ASSERT_EQ(windowMenu->title(), U("ｳｨﾝﾄﾞｳ(&W)"));
  const auto windowList = [&] {
    Bars()->UpdateMenu(windowMenu);
    QStringList texts;
    QStringList checked;
    bool afterCloseAll = false;
    for (QAction* action : windowMenu->actions()) {
      if (afterCloseAll && !action->isSeparator()) {
        texts << action->text();
        if (action->isChecked()) checked << action->text();
      }
      if (fw::CommandIdOf(action) == res::ID_WINDOW_CLOSE_ALL) afterCloseAll = true;
    }
    return std::make_pair(texts, checked);
  };

  // Asked twice, as a menu opened twice is: the list is not appended again.
  windowList();
  auto [texts, checked] = windowList();
  EXPECT_EQ(texts, (QStringList{"&1 Tlvn1", "&2 Tlvn2:1", "&3 Tlvn2:2"}));
  EXPECT_EQ(checked, QStringList{"&3 Tlvn2:2"});

  // Choosing an entry activates its window.
  for (QAction* action : windowMenu->actions()) {
    if (action->text() == "&1 Tlvn1") action->trigger();
  }
  ProcessEvents();
  EXPECT_EQ(ActiveChild(), first);
  std::tie(texts, checked) = windowList();
  EXPECT_EQ(checked, QStringList{"&1 Tlvn1"});

  Run(res::ID_FILE_CLOSE);
  ProcessEvents();
  std::tie(texts, checked) = windowList();
  EXPECT_EQ(texts, (QStringList{"&1 Tlvn2:1", "&2 Tlvn2:2"}));
  EXPECT_EQ(checked.size(), 1);
}

// --- Item states: every rule of the command table ----------------------------------------

TEST_F(MenusTest, RowCommandsNeedASelectedRow) {
  Start();
  Fill({"one", "two"}, 1);
  const unsigned rowCommands[] = {res::ID_EDIT_MODIFY, res::ID_EDIT_CUT, res::ID_EDIT_COPY,
                                  res::ID_EDIT_CLEAR};
  for (unsigned id : rowCommands) EXPECT_TRUE(ItemEnabled(id)) << id;
  List()->SetCurSel(-1);
  for (unsigned id : rowCommands) EXPECT_FALSE(ItemEnabled(id)) << id;
  Fill({}, -1);
  for (unsigned id : rowCommands) EXPECT_FALSE(ItemEnabled(id)) << id;
}

struct ListStateCase {
  const char* name;
  ItemList items;
  bool modified;
  bool save;        // 57603
  bool notEmpty;    // 57604, 32782, 57633
};

class MenusListStateTest : public MenusTest, public testing::WithParamInterface<ListStateCase> {};

TEST_P(MenusListStateTest, SaveNeedsItemsAndAChangeTheOthersItems) {
  const ListStateCase& c = GetParam();
  Start();
  doc::CTolvaneDoc* doc = Fill(c.items, c.items.empty() ? -1 : 0);
  doc->SetModifiedFlag(c.modified);
  EXPECT_EQ(ItemEnabled(res::ID_FILE_SAVE), c.save);
  for (unsigned id : {res::ID_FILE_SAVE_AS, res::ID_FILE_SAVE_TEXT, res::ID_EDIT_CLEAR_ALL}) {
    EXPECT_EQ(ItemEnabled(id), c.notEmpty) << id;
  }
}

INSTANTIATE_TEST_SUITE_P(
    Menus, MenusListStateTest,
    testing::Values(ListStateCase{"EmptyUnchanged", {}, false, false, false},
                    ListStateCase{"EmptyModified", {}, true, false, false},
                    ListStateCase{"ItemsUnchanged", {"a"}, false, false, true},
                    ListStateCase{"ItemsModified", {"a", "b"}, true, true, true}),
    [](const testing::TestParamInfo<ListStateCase>& info) { return info.param.name; });

TEST_F(MenusTest, PasteNeedsTextAndClearAnyFormat) {
  Start();
  EXPECT_FALSE(ItemEnabled(res::ID_EDIT_PASTE));
  EXPECT_FALSE(ItemEnabled(res::ID_CLIP_CLEAR));

  m_pClipboard->SimulateImage();
  EXPECT_FALSE(ItemEnabled(res::ID_EDIT_PASTE));
  EXPECT_TRUE(ItemEnabled(res::ID_CLIP_CLEAR));

  m_pClipboard->SimulateCopy("text");
  EXPECT_TRUE(ItemEnabled(res::ID_EDIT_PASTE));
  EXPECT_TRUE(ItemEnabled(res::ID_CLIP_CLEAR));

  Run(res::ID_CLIP_CLEAR);
  EXPECT_FALSE(ItemEnabled(res::ID_EDIT_PASTE));
  EXPECT_FALSE(ItemEnabled(res::ID_CLIP_CLEAR));
}

TEST_F(MenusTest, UndoNeedsARememberedDeletionOfItsOwnDocument) {
  Start();
  doc::CTolvaneDoc* first = Fill({"a", "b"}, 0);
  EXPECT_FALSE(ItemEnabled(res::ID_EDIT_UNDO));
  Run(res::ID_EDIT_CLEAR);
  EXPECT_TRUE(ItemEnabled(res::ID_EDIT_UNDO));

  NewDocument();
  EXPECT_FALSE(ItemEnabled(res::ID_EDIT_UNDO));
  Frame()->MDIActivate(Frame()->GetChildFrames().front());
  ASSERT_EQ(ActiveDoc(), first);
  EXPECT_TRUE(ItemEnabled(res::ID_EDIT_UNDO));
  Run(res::ID_EDIT_UNDO);
  EXPECT_EQ(Items(first), (ItemList{"a", "b"}));
  EXPECT_FALSE(ItemEnabled(res::ID_EDIT_UNDO));
}

TEST_F(MenusTest, WindowCommandsNeedAWindowAndPanesNeverRun) {
  Start();
  for (unsigned id : {res::ID_WINDOW_NEW, res::ID_WINDOW_CASCADE, res::ID_WINDOW_TILE_HORZ,
                      res::ID_WINDOW_ARRANGE, res::ID_WINDOW_CLOSE_ALL}) {
    EXPECT_TRUE(ItemEnabled(id)) << id;
  }
  EXPECT_FALSE(Enabled(res::ID_NEXT_PANE));
  EXPECT_FALSE(Enabled(res::ID_PREV_PANE));
  Run(res::ID_FILE_CLOSE);
  ProcessEvents();
  for (unsigned id : {res::ID_WINDOW_NEW, res::ID_WINDOW_CASCADE, res::ID_WINDOW_TILE_HORZ,
                      res::ID_WINDOW_ARRANGE}) {
    EXPECT_FALSE(Enabled(id)) << id;
  }
}

struct CheckCase {
  const char* name;
  unsigned id;
  bool initially;
};

class MenusCheckTest : public MenusTest, public testing::WithParamInterface<CheckCase> {};

TEST_P(MenusCheckTest, CheckMarkFollowsTheSwitch) {
  const CheckCase& c = GetParam();
  Start();
  EXPECT_EQ(ItemChecked(c.id), c.initially);
  EXPECT_TRUE(ItemEnabled(c.id));
  Run(c.id);
  ProcessEvents();
  EXPECT_EQ(ItemChecked(c.id), !c.initially);
  Run(c.id);
  ProcessEvents();
  EXPECT_EQ(ItemChecked(c.id), c.initially);
}

INSTANTIATE_TEST_SUITE_P(
    Menus, MenusCheckTest,
    testing::Values(CheckCase{"ToolBar", res::ID_VIEW_TOOLBAR, true},
                    CheckCase{"StatusBar", res::ID_VIEW_STATUS_BAR, true},
                    CheckCase{"StartMinimized", res::ID_VIEW_START_MINIMIZED, false},
                    CheckCase{"TopMost", res::ID_VIEW_TOPMOST, false},
                    CheckCase{"AutoPaste", res::ID_CLIP_AUTO_PASTE, true}),
    [](const testing::TestParamInfo<CheckCase>& info) { return info.param.name; });

TEST_F(MenusTest, BarsFollowTheirCheckedCommands) {
  Start();
  Run(res::ID_VIEW_TOOLBAR);
  Run(res::ID_VIEW_STATUS_BAR);
  EXPECT_FALSE(Frame()->ToolBar()->isVisible());
  EXPECT_FALSE(Frame()->StatusBar()->isVisible());
  Run(res::ID_VIEW_TOOLBAR);
  EXPECT_TRUE(Frame()->ToolBar()->isVisible());
  EXPECT_FALSE(Frame()->StatusBar()->isVisible());
}

// --- Accelerators through key events on the focused list ------------------------------

struct KeyCase {
  const char* name;
  Qt::Key key;
  Qt::KeyboardModifiers modifiers;
  ItemList items;          // afterwards; before: one, two, three with "two" selected
  int selected;
  std::string clipboard;  // before: "clip"
};

class MenusKeyTest : public MenusTest, public testing::WithParamInterface<KeyCase> {};

TEST_P(MenusKeyTest, KeyRunsItsCommandOnTheSelectedRow) {
  const KeyCase& c = GetParam();
  Start();
  Run(res::ID_CLIP_AUTO_PASTE);  // off: the list shows only what the command does
  m_pClipboard->SimulateCopy("clip");
  doc::CTolvaneDoc* doc = Fill({"one", "two", "three"}, 1);
  ActivateWithListFocus();

  Key(c.key, c.modifiers);
  EXPECT_EQ(Items(doc), c.items);
  EXPECT_EQ(Selected(), c.selected);
  EXPECT_EQ(m_pClipboard->Text(), c.clipboard);
  EXPECT_EQ(m_pMessages->Count(), 0);
}

const ItemList kAfterRemoval = {"one", "three"};
const ItemList kUnchanged = {"one", "two", "three"};
const ItemList kAfterPaste = {"clip", "one", "two", "three"};

INSTANTIATE_TEST_SUITE_P(
    Menus, MenusKeyTest,
    testing::Values(KeyCase{"Delete", Qt::Key_Delete, Qt::NoModifier, kAfterRemoval, 1, "clip"},
                    KeyCase{"ShiftDelete", Qt::Key_Delete, Qt::ShiftModifier, kAfterRemoval, 1, "two"},
                    KeyCase{"CtrlX", Qt::Key_X, Qt::ControlModifier, kAfterRemoval, 1, "two"},
                    KeyCase{"CtrlInsert", Qt::Key_Insert, Qt::ControlModifier, kUnchanged, 1, "two"},
                    KeyCase{"CtrlC", Qt::Key_C, Qt::ControlModifier, kUnchanged, 1, "two"},
                    KeyCase{"ShiftInsert", Qt::Key_Insert, Qt::ShiftModifier, kAfterPaste, 0, "clip"},
                    KeyCase{"CtrlV", Qt::Key_V, Qt::ControlModifier, kAfterPaste, 0, "clip"},
                    // No split panes: both keys leave everything as it was.
                    KeyCase{"F6", Qt::Key_F6, Qt::NoModifier, kUnchanged, 1, "clip"},
                    KeyCase{"ShiftF6", Qt::Key_F6, Qt::ShiftModifier, kUnchanged, 1, "clip"}),
    [](const testing::TestParamInfo<KeyCase>& info) { return info.param.name; });

class MenusUndoKeyTest : public MenusTest,
                         public testing::WithParamInterface<Qt::KeyboardModifier> {};

TEST_P(MenusUndoKeyTest, UndoKeyRestoresTheDeletedRow) {
  const bool alt = GetParam() == Qt::AltModifier;
  Start();
  doc::CTolvaneDoc* doc = Fill({"one", "two", "three"}, 1);
  ActivateWithListFocus();
  Key(Qt::Key_Delete);
  ASSERT_EQ(Items(doc), (ItemList{"one", "three"}));
  Key(alt ? Qt::Key_Backspace : Qt::Key_Z, GetParam());
  EXPECT_EQ(Items(doc), (ItemList{"one", "two", "three"}));
  EXPECT_EQ(Selected(), 1);
  EXPECT_FALSE(Enabled(res::ID_EDIT_UNDO));
}

INSTANTIATE_TEST_SUITE_P(Menus, MenusUndoKeyTest,
                         testing::Values(Qt::ControlModifier, Qt::AltModifier),
                         [](const testing::TestParamInfo<Qt::KeyboardModifier>& info) {
                           return info.param == Qt::AltModifier ? "AltBackspace" : "CtrlZ";
                         });

TEST_F(MenusTest, KeyOfADisabledCommandDoesNotRunIt) {
  Start();
  doc::CTolvaneDoc* doc = Fill({"one", "two"}, -1);
  ActivateWithListFocus();
  Key(Qt::Key_Delete);
  Key(Qt::Key_Delete, Qt::ShiftModifier);
  EXPECT_EQ(Items(doc), (ItemList{"one", "two"}));
  EXPECT_FALSE(Enabled(res::ID_EDIT_UNDO));

  // Paste is asked of the clipboard itself: with only an image there, a text the frame
  // still remembers must not be added.
  m_pClipboard->SimulateImage();
  Capture().SetClipTextForTesting("stale");
  Key(Qt::Key_V, Qt::ControlModifier);
  Key(Qt::Key_Insert, Qt::ShiftModifier);
  EXPECT_EQ(Items(doc), (ItemList{"one", "two"}));
  EXPECT_EQ(m_pMessages->Count(), 0);
}

TEST_F(MenusTest, CtrlF6ActivatesEachDocumentWindowInTurn) {
  Start();
  NewDocument();
  NewDocument();
  ActivateWithListFocus();
  std::set<fw::CMDIChildWnd*> seen{ActiveChild()};
  fw::CMDIChildWnd* start = ActiveChild();
  for (int i = 0; i < 3; ++i) {
    fw::CMDIChildWnd* before = ActiveChild();
    Key(Qt::Key_F6, Qt::ControlModifier);
    EXPECT_NE(ActiveChild(), before) << "press " << i;
    seen.insert(ActiveChild());
  }
  EXPECT_EQ(seen.size(), 3u);
  EXPECT_EQ(ActiveChild(), start);
  EXPECT_EQ(Frame()->GetChildFrames().size(), 3u);
}

TEST_F(MenusTest, CtrlEOpensTheEditDialogOnTheSelectedRow) {
  Start();
  Fill({"one", "two"}, 1);
  ActivateWithListFocus();
  QString seenText;
  bool seenDialog = false;
  QTimer::singleShot(0, [&] {
    auto* dialog = qobject_cast<dialogs::CClipEditDialog*>(QApplication::activeModalWidget());
    if (!dialog) return;
    seenDialog = true;
    seenText = dialog->windowTitle();
    dialog->reject();
  });
  Key(Qt::Key_E, Qt::ControlModifier);
  EXPECT_TRUE(seenDialog);
  EXPECT_EQ(seenText, U("編集-修正"));
}

// --- Tool bar and status bar --------------------------------------------------------------

TEST_F(MenusTest, ToolBarHasTenButtonsWithTheirToolTips) {
  Start();
  QStringList tips;
  QList<int> separators;
  const QList<QAction*> actions = Frame()->ToolBar()->actions();
  for (int i = 0; i < actions.size(); ++i) {
    if (actions[i]->isSeparator()) {
      separators << i;
    } else {
      tips << actions[i]->toolTip();
    }
  }
  EXPECT_EQ(tips, (QStringList{U("新規ﾌｧｲﾙ"), U("開く"), U("保存"), U("修正"), U("切り取り"),
                               U("ｺﾋﾟ-"), U("貼り付け"), U("削除"), U("ﾊﾞｰｼﾞｮﾝ情報"),
                               U("ﾍﾙﾌﾟ")}));
  EXPECT_EQ(separators, (QList<int>{3, 5, 9, 11}));
  EXPECT_EQ(Bars()->FindButton(res::ID_EDIT_COPY)->toolTip(), U("ｺﾋﾟ-"));
  EXPECT_EQ(Frame()->ToolBar()->iconSize(), QSize(16, 15));
}

TEST_F(MenusTest, ButtonsFollowTheStateWhenTheProgramIdles) {
  Start();
  QAction* copy = Bars()->FindButton(res::ID_EDIT_COPY);
  QAction* paste = Bars()->FindButton(res::ID_EDIT_PASTE);
  QAction* save = Bars()->FindButton(res::ID_FILE_SAVE);
  QAction* about = Bars()->FindButton(res::ID_APP_ABOUT);
  ASSERT_TRUE(copy && paste && save && about);
  m_pApp->RunIdleUpdateNow();
  EXPECT_FALSE(copy->isEnabled());
  EXPECT_FALSE(paste->isEnabled());
  EXPECT_FALSE(save->isEnabled());
  EXPECT_TRUE(about->isEnabled());

  m_pClipboard->SimulateCopy("new");  // captured: one item, selected, modified
  m_pApp->RunIdleUpdateNow();
  EXPECT_TRUE(copy->isEnabled());
  EXPECT_TRUE(paste->isEnabled());
  EXPECT_TRUE(save->isEnabled());

  // A button still enabled from the last idle update does not run a command that has
  // become disabled.
  List()->SetCurSel(-1);
  ASSERT_TRUE(Bars()->FindButton(res::ID_EDIT_CLEAR)->isEnabled());
  Bars()->FindButton(res::ID_EDIT_CLEAR)->trigger();
  EXPECT_EQ(Items(ActiveDoc()), ItemList{"new"});
  m_pApp->RunIdleUpdateNow();
  EXPECT_FALSE(copy->isEnabled());
  EXPECT_FALSE(Bars()->FindButton(res::ID_EDIT_CLEAR)->isEnabled());

  Run(res::ID_FILE_CLOSE);
  ProcessEvents();
  m_pApp->RunIdleUpdateNow();
  EXPECT_FALSE(save->isEnabled());
  EXPECT_FALSE(paste->isEnabled());
  EXPECT_TRUE(about->isEnabled());
}

TEST_F(MenusTest, StatusBarShowsPromptsAndOtherwiseTheIdleText) {
  Start();
  QStatusBar* bar = Frame()->StatusBar();
  QLabel* idle = nullptr;
  for (QLabel* label : bar->findChildren<QLabel*>()) {
    if (label->text() == U(kIdleText)) idle = label;
  }
  ASSERT_NE(idle, nullptr);
  EXPECT_TRUE(idle->isVisible());
  EXPECT_TRUE(bar->currentMessage().isEmpty());

  Bars()->FindButton(res::ID_EDIT_COPY)->showStatusText(Frame()->ToolBar());
  EXPECT_EQ(bar->currentMessage(), U("選択されたﾃｷｽﾄをｺﾋﾟｰしてｸﾘｯﾌﾟﾎﾞｰﾄﾞに保存します。"));
  EXPECT_FALSE(idle->isVisible());
  QAction* undo = OpenedItem(res::ID_EDIT_UNDO);
  undo->showStatusText(Frame()->menuBar());  // where an open menu sends its prompts
  EXPECT_EQ(bar->currentMessage(), U("直前に削除したテキストを元に戻します。"));

  // Leaving the item clears the prompt.
  QStatusTipEvent leave{QString()};
  QApplication::sendEvent(Frame(), &leave);
  EXPECT_TRUE(bar->currentMessage().isEmpty());
  EXPECT_TRUE(idle->isVisible());
}

// --- Version dialog -------------------------------------------------------------------

TEST_F(MenusTest, VersionCommandShowsTheVersionDialog) {
  Start();
  QString caption;
  QStringList labels;
  QString okText;
  bool okDefault = false;
  QTimer::singleShot(0, [&] {
    for (QWidget* w : QApplication::topLevelWidgets()) {
      auto* dialog = qobject_cast<QDialog*>(w);
      if (!dialog || !dialog->isVisible()) continue;
      caption = dialog->windowTitle();
      for (QLabel* label : dialog->findChildren<QLabel*>()) labels << label->text();
      if (auto* ok = dialog->findChild<QPushButton*>()) {
        okText = ok->text();
        okDefault = ok->isDefault();
      }
      dialog->accept();
    }
  });
  EXPECT_TRUE(Run(res::ID_APP_ABOUT));
  EXPECT_EQ(caption, U("ﾊﾞｰｼﾞｮﾝ情報(Tolvane)"));
  EXPECT_TRUE(labels.contains("Tolvane (Text Only) Version 2.76")) << labels.join('|').toStdString();
  EXPECT_EQ(okText, "OK");
  EXPECT_TRUE(okDefault);
}

}  // namespace
