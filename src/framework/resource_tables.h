#pragma once

#include <span>
#include <string_view>

namespace fw {

// One menu item; id 0 stands for a separator. Texts mark the mnemonic with "&" and put a
// tab before the key name shown at the right.
struct MenuItem {
  unsigned id;
  std::string_view text;
  bool grayed = false;
};

struct MenuPopup {
  std::string_view title;
  std::span<const MenuItem> items;
};

// A key combination, in QKeySequence's portable text, and the command it sends.
struct Accelerator {
  std::string_view keys;
  unsigned id;
};

// The help viewer's own texts: its caption, its buttons and the heading of its index.
struct HelpViewerTexts {
  std::string_view title;
  std::string_view contents;
  std::string_view back;
  std::string_view forward;
  std::string_view index;
};

// The program's user-interface tables as the framework reads them: strings, menus,
// accelerators and the tool bar. The program hands them in at start, so the framework
// needs nothing from the layers above it.
struct UiTables {
  std::string_view (*loadString)(unsigned id) = nullptr;
  // The status-bar prompt and the tool tip of a command's string.
  std::string_view (*prompt)(unsigned id) = nullptr;
  std::string_view (*toolTip)(unsigned id) = nullptr;
  // What a click on the command's item or button shows in help mode.
  std::string_view (*whatsThis)(unsigned id) = nullptr;
  std::span<const MenuPopup> (*menu)(unsigned menuId) = nullptr;
  // The document window's own menu (its icon, Alt+-): items named by their prompts'
  // string ids (IDS_SC_*).
  std::span<const MenuItem> (*documentWindowMenu)() = nullptr;
  std::span<const Accelerator> (*accelerators)() = nullptr;
  // Commands of the tool-bar buttons, 0 for a separator; their images, left to right.
  std::span<const unsigned> (*toolBarLayout)() = nullptr;
  const char* const* (*toolBarXpm)() = nullptr;
  int buttonWidth = 16;
  int buttonHeight = 15;
  HelpViewerTexts helpViewer;
};

void SetUiTables(const UiTables& tables);
const UiTables& GetUiTables();

// The table's string, or empty when there is no table or no such string.
std::string_view TableString(unsigned id);

}  // namespace fw
