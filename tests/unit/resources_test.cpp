#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <ostream>
#include <set>
#include <string>
#include <string_view>
#include <vector>

#include "resources/accelerators.h"
#include "resources/command_ids.h"
#include "resources/dialog_layouts.h"
#include "resources/icons.h"
#include "resources/menus.h"
#include "resources/string_table.h"
#include "resources/toolbar.h"

namespace res {
namespace {

bool IsCommand(unsigned id) {
  return std::find(std::begin(kCommandIds), std::end(kCommandIds), id) != std::end(kCommandIds);
}

std::vector<std::string_view> Titles(unsigned menuId) {
  std::vector<std::string_view> titles;
  for (const MenuPopup& popup : Menu(menuId)) titles.push_back(popup.title);
  return titles;
}

const MenuItem* FindItem(unsigned menuId, unsigned id) {
  for (const MenuPopup& popup : Menu(menuId)) {
    for (const MenuItem& item : popup.items) {
      if (item.id == id) return &item;
    }
  }
  return nullptr;
}

unsigned AcceleratorFor(std::string_view keys) {
  for (const Accelerator& accel : Accelerators()) {
    if (accel.keys == keys) return accel.id;
  }
  return 0;
}

TEST(StringTable, IdsAreStrictlyAscendingAndEachFound) {
  const auto strings = AllStrings();
  ASSERT_FALSE(strings.empty());
  for (std::size_t i = 1; i < strings.size(); ++i) {
    EXPECT_LT(strings[i - 1].id, strings[i].id) << "at " << strings[i].id;
  }
  for (const StringEntry& entry : strings) EXPECT_EQ(LoadString(entry.id), entry.text);
  for (unsigned missing : {0u, 127u, 32773u, ID_HELP, ID_NEXT_PANE, 61871u, 70000u}) {
    EXPECT_TRUE(LoadString(missing).empty()) << missing;
  }
}

TEST(StringTable, PromptAndToolTipSplitAtFirstLineFeed) {
  EXPECT_EQ(ToolTip(ID_EDIT_COPY), "ｺﾋﾟ-");  // not the menu's "ｺﾋﾟｰ"
  EXPECT_EQ(Prompt(ID_EDIT_COPY), "選択されたﾃｷｽﾄをｺﾋﾟｰしてｸﾘｯﾌﾟﾎﾞｰﾄﾞに保存します。");
  EXPECT_EQ(Prompt(ID_FILE_CLOSE), LoadString(ID_FILE_CLOSE));
  EXPECT_TRUE(ToolTip(ID_FILE_CLOSE).empty());
  EXPECT_TRUE(Prompt(70000).empty());
  EXPECT_TRUE(ToolTip(70000).empty());
  // The template string starts with its (empty) window title field.
  EXPECT_TRUE(Prompt(IDR_TLVNTYPE).empty());
  EXPECT_EQ(ToolTip(IDR_TLVNTYPE).substr(0, 5), "Tlvn\n");
}

TEST(StringTable, ErrorTablesAreCompleteAndTakeThePath) {
  struct Range { unsigned base; unsigned count; };
  for (const Range range : {Range{IDS_FILE_ERROR_BASE, 15}, Range{IDS_ARCHIVE_ERROR_BASE, 8}}) {
    EXPECT_EQ(LoadString(range.base), "ｴﾗｰはありません。");
    for (unsigned cause = 1; cause < range.count; ++cause) {
      const std::string_view text = LoadString(range.base + cause);
      EXPECT_NE(text.find("%1"), std::string_view::npos) << range.base + cause;
    }
    EXPECT_TRUE(LoadString(range.base + range.count).empty());
  }
}

TEST(StringTable, SignificantBlanksAreKept) {
  EXPECT_EQ(LoadString(ID_INDICATOR_ITEMS), "項目数 :" + std::string(8, ' '));
  EXPECT_EQ(LoadString(IDS_FILE_ERROR_BASE + 8).back(), ' ');
  EXPECT_TRUE(LoadString(IDS_FILE_ERROR_BASE + 9).ends_with("しました"));  // no full stop
}

TEST(Menus, PopupTitles) {
  using V = std::vector<std::string_view>;
  EXPECT_EQ(Titles(IDR_MAINFRAME), (V{"ﾌｧｲﾙ(&F)", "表示(&V)", "ﾍﾙﾌﾟ(&H)"}));
  EXPECT_EQ(Titles(IDR_TLVNTYPE), (V{"ﾌｧｲﾙ(&F)", "編集(&E)", "表示(&V)", "ｸﾘｯﾌﾟﾎﾞｰﾄﾞ(&C)",
                                     "ｳｨﾝﾄﾞｳ(&W)", "ﾍﾙﾌﾟ(&H)"}));
  EXPECT_EQ(Titles(IDR_CONTEXT_MENU), V{""});
  EXPECT_TRUE(Menu(0).empty());
  EXPECT_TRUE(Menu(IDC_CLIPLIST).empty());
}

// Every item is a known command with a prompt, a unique mnemonic within its popup, and
// separators only between items.
TEST(Menus, ItemsAreWellFormed) {
  for (unsigned menuId : {IDR_MAINFRAME, IDR_TLVNTYPE, IDR_CONTEXT_MENU}) {
    for (const MenuPopup& popup : Menu(menuId)) {
      SCOPED_TRACE(std::to_string(menuId) + " " + std::string(popup.title));
      const auto items = popup.items;
      ASSERT_FALSE(items.empty());
      ASSERT_NE(items.front().id, 0u);
      EXPECT_NE(items.back().id, 0u);
      std::set<char> mnemonics;
      for (std::size_t i = 0; i < items.size(); ++i) {
        const MenuItem& item = items[i];
        if (item.id == 0) {
          EXPECT_NE(items[i - 1].id, 0u) << "two separators in a row";
          continue;
        }
        EXPECT_TRUE(IsCommand(item.id)) << item.id;
        EXPECT_FALSE(Prompt(item.id).empty()) << item.id;
        if (item.grayed) continue;  // the recent-file placeholder has no mnemonic
        const auto amp = item.text.find('&');
        ASSERT_NE(amp, std::string_view::npos) << item.text;
        EXPECT_TRUE(mnemonics.insert(item.text[amp + 1]).second) << item.text;
      }
    }
  }
}

TEST(Menus, KeyShownInMenuIsAnAcceleratorOfThatCommand) {
  int shown = 0;
  for (unsigned menuId : {IDR_MAINFRAME, IDR_TLVNTYPE, IDR_CONTEXT_MENU}) {
    for (const MenuPopup& popup : Menu(menuId)) {
      for (const MenuItem& item : popup.items) {
        const auto tab = item.text.find('\t');
        if (tab == std::string_view::npos) continue;
        ++shown;
        EXPECT_EQ(AcceleratorFor(item.text.substr(tab + 1)), item.id) << item.text;
      }
    }
  }
  EXPECT_GT(shown, 0);
}

TEST(Menus, RecentFilePlaceholderIsTheOnlyGrayedItem) {
  for (unsigned menuId : {IDR_MAINFRAME, IDR_TLVNTYPE}) {
    const MenuItem* placeholder = FindItem(menuId, ID_FILE_MRU_FILE1);
    ASSERT_NE(placeholder, nullptr);
    EXPECT_TRUE(placeholder->grayed);
    EXPECT_EQ(placeholder->text, "最新のﾌｧｲﾙ");
    for (const MenuPopup& popup : Menu(menuId)) {
      for (const MenuItem& item : popup.items) EXPECT_EQ(item.grayed, &item == placeholder);
    }
  }
}

TEST(Menus, VersionItemsDifferByOneBlank) {
  const MenuItem* main = FindItem(IDR_MAINFRAME, ID_APP_ABOUT);
  const MenuItem* doc = FindItem(IDR_TLVNTYPE, ID_APP_ABOUT);
  ASSERT_TRUE(main && doc);
  std::string docText(doc->text);
  const auto blank = docText.find(" (&A)");
  ASSERT_NE(blank, std::string::npos);
  EXPECT_EQ(docText.erase(blank, 1), main->text);
}

TEST(Accelerators, KnownCommandsAndUniqueKeys) {
  std::set<std::string_view> keys;
  for (const Accelerator& accel : Accelerators()) {
    EXPECT_TRUE(IsCommand(accel.id)) << accel.keys;
    EXPECT_TRUE(keys.insert(accel.keys).second) << accel.keys;
  }
  EXPECT_EQ(keys.size(), 18u);
}

TEST(Accelerators, AlternativeKeysMatchTheMainOnes) {
  const std::pair<std::string_view, std::string_view> pairs[] = {
      {"Ctrl+Ins", "Ctrl+C"}, {"Shift+Ins", "Ctrl+V"}, {"Shift+Del", "Ctrl+X"},
      {"Alt+Backspace", "Ctrl+Z"}};
  for (const auto& [alternative, main] : pairs) {
    EXPECT_NE(AcceleratorFor(main), 0u) << main;
    EXPECT_EQ(AcceleratorFor(alternative), AcceleratorFor(main)) << alternative;
  }
}

TEST(ToolBar, ButtonsHavePromptsAndToolTips) {
  const auto layout = ToolBarLayout();
  EXPECT_EQ(std::count(layout.begin(), layout.end(), 0u), 4);
  EXPECT_NE(layout.front(), 0u);
  EXPECT_NE(layout.back(), 0u);
  std::set<unsigned> buttons;
  for (unsigned id : layout) {
    if (id == 0) continue;
    EXPECT_TRUE(IsCommand(id)) << id;
    EXPECT_TRUE(buttons.insert(id).second) << id;
    EXPECT_FALSE(Prompt(id).empty()) << id;
    EXPECT_FALSE(ToolTip(id).empty()) << id;
  }
  EXPECT_EQ(buttons.size(), 10u);
}

TEST(StatusBar, MessagePaneFirstAndIndicatorsHaveTexts) {
  const auto panes = StatusPanes();
  ASSERT_EQ(panes.size(), 6u);
  EXPECT_EQ(panes[0], 0u);
  for (std::size_t i = 1; i < panes.size(); ++i) EXPECT_FALSE(LoadString(panes[i]).empty());
}

TEST(Dialogs, ControlsFitAndIdsAreUnique) {
  for (unsigned id : {IDD_ABOUTBOX, IDD_CLIP_EDIT, IDD_STARTUP_FILE, IDD_FIND}) {
    const DialogLayout* dialog = FindDialogLayout(id);
    ASSERT_NE(dialog, nullptr) << id;
    EXPECT_EQ(dialog->id, id);
    EXPECT_FALSE(dialog->caption.empty());
    std::set<unsigned> ids;
    int defaults = 0;
    for (const DialogControl& control : dialog->controls) {
      SCOPED_TRACE(std::to_string(id) + "/" + std::to_string(control.id));
      EXPECT_TRUE(control.id == IDC_STATIC || ids.insert(control.id).second);
      EXPECT_LE(control.x + control.width, dialog->width);
      EXPECT_LE(control.y + control.height, dialog->height);
      defaults += control.kind == ControlKind::DefaultPushButton;
    }
    EXPECT_EQ(defaults, id == IDD_CLIP_EDIT ? 0 : 1);
  }
  EXPECT_EQ(FindDialogLayout(0), nullptr);
  EXPECT_EQ(FindDialogLayout(IDR_MAINFRAME), nullptr);
}

TEST(Dialogs, TabOrder) {
  const auto order = [](unsigned id) {
    std::vector<unsigned> ids;
    for (const DialogControl& control : FindDialogLayout(id)->controls) ids.push_back(control.id);
    return ids;
  };
  EXPECT_EQ(order(IDD_CLIP_EDIT), (std::vector<unsigned>{IDC_EDIT_TEXT, IDC_UPDATE, IDC_INSERT,
                                                        IDC_TRANSFER, IDC_EDIT_CANCEL, IDC_CLEAR}));
  EXPECT_EQ(order(IDD_STARTUP_FILE), (std::vector<unsigned>{IDC_STARTUP_PATH, IDOK, IDCANCEL,
                                                           IDC_BROWSE, IDC_CLEAR_PATH}));
}

struct XpmCase {
  const char* name;
  const char* const* xpm;
  int width, height;
};

void PrintTo(const XpmCase& c, std::ostream* os) { *os << c.name; }

class Xpm : public testing::TestWithParam<XpmCase> {};

TEST_P(Xpm, HeaderColoursAndRowsAgree) {
  const XpmCase& c = GetParam();
  int width = 0, height = 0, colours = 0, charsPerPixel = 0;
  ASSERT_EQ(std::sscanf(c.xpm[0], "%d %d %d %d", &width, &height, &colours, &charsPerPixel), 4);
  EXPECT_EQ(width, c.width);
  EXPECT_EQ(height, c.height);
  ASSERT_EQ(charsPerPixel, 1);
  EXPECT_LE(colours, 16);
  std::set<char> keys;
  for (int i = 1; i <= colours; ++i) {
    const std::string_view line = c.xpm[i];
    ASSERT_GE(line.size(), 4u);
    EXPECT_EQ(line.substr(1, 3), " c ") << line;
    EXPECT_TRUE(keys.insert(line[0]).second) << line;
  }
  for (int y = 0; y < height; ++y) {
    const std::string_view row = c.xpm[1 + colours + y];
    ASSERT_EQ(row.size(), static_cast<std::size_t>(width)) << "row " << y;
    for (char key : row) ASSERT_TRUE(keys.count(key)) << "row " << y << " key '" << key << "'";
  }
}

INSTANTIATE_TEST_SUITE_P(
    Resources, Xpm,
    testing::Values(XpmCase{"ToolBar", ToolBarXpm(), 10 * kButtonWidth, kButtonHeight},
                    XpmCase{"AppIcon32", AppIconXpm32(), 32, 32},
                    XpmCase{"AppIcon16", AppIconXpm16(), 16, 16},
                    XpmCase{"DocIcon32", DocIconXpm32(), 32, 32}),
    [](const testing::TestParamInfo<XpmCase>& param) { return std::string(param.param.name); });

// A shifted or missing picture leaves a button blank.
TEST(ToolBarXpm, EveryButtonImageHasPixels) {
  const char* const* xpm = ToolBarXpm();
  int width = 0, height = 0, colours = 0;
  ASSERT_EQ(std::sscanf(xpm[0], "%d %d %d", &width, &height, &colours), 3);
  char transparent = 0;
  for (int i = 1; i <= colours; ++i) {
    if (std::string_view(xpm[i]).substr(4) == "None") transparent = xpm[i][0];
  }
  for (int button = 0; button < width / kButtonWidth; ++button) {
    int painted = 0;
    for (int y = 0; y < height; ++y) {
      const std::string_view row = xpm[1 + colours + y];
      const std::string_view slice = row.substr(button * kButtonWidth, kButtonWidth);
      painted += kButtonWidth - static_cast<int>(std::count(slice.begin(), slice.end(),
                                                            transparent));
    }
    EXPECT_GT(painted, 20) << "button " << button;
  }
}

}  // namespace
}  // namespace res
