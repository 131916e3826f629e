#pragma once

#include <span>
#include <string_view>

namespace res {

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

// The popups of menu 128 (no document window open), 129 (a document window active) or
// 133 (the list's context menu: one popup with an empty title); empty for any other id.
std::span<const MenuPopup> Menu(unsigned menuId);

}  // namespace res
