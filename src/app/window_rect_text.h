#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace app {

// The normal window rectangle as the "Rect" setting holds it.
struct WindowRect {
  int left = 0, top = 0, right = 0, bottom = 0;
  bool operator==(const WindowRect&) const = default;
};

// "left top right bottom", each at least four places wide with leading zeros (a negative
// number's sign takes one of the four places); larger numbers are written in full.
std::string FormatRectText(const WindowRect& rect);

// Reads the four fields at character positions 0, 5, 10 and 15. nullopt when the text
// ends before one of those positions or a field has no digits.
std::optional<WindowRect> ParseRectText(std::string_view text);

}  // namespace app
