#pragma once

#include <span>

namespace res {

// Commands of the tool bar's buttons from left to right; 0 stands for a separator. The
// button images lie in the same order, separators skipped, in ToolBarXpm().
std::span<const unsigned> ToolBarLayout();

// Status bar panes from left to right: 0 is the message pane, which takes the remaining
// width; the others are sized to their strings.
std::span<const unsigned> StatusPanes();

inline constexpr int kButtonWidth = 16, kButtonHeight = 15;

}  // namespace res
