#pragma once

#include <span>
#include <string_view>

#include "framework/resource_tables.h"

namespace res {

using MenuItem = fw::MenuItem;
using MenuPopup = fw::MenuPopup;

// The popups of menu 128 (no document window open), 129 (a document window active) or
// 133 (the list's context menu: one popup with an empty title); empty for any other id.
std::span<const MenuPopup> Menu(unsigned menuId);
// The document window's own menu; each item's id is the string id of its prompt.
std::span<const MenuItem> DocumentWindowMenu();

}  // namespace res
