#pragma once

#include <cstddef>
#include <string>
#include <string_view>

#include "platform/code_page.h"

namespace view {

// Length limits of a list line, counting the marker as two bytes in any code page.
inline constexpr std::size_t kMaxDisplayBytes = 260;
inline constexpr std::size_t kCutBytes = 256;

// What of an item is shown, found and compared: its bytes before the first zero byte.
// An item loaded from a file may hold more; it keeps them, unseen.
inline std::string_view TextBeforeZero(std::string_view item) {
  return item.substr(0, item.find('\0'));
}

// Text equality: the same bytes up to the first zero byte of each.
inline bool SameText(std::string_view a, std::string_view b) {
  return TextBeforeZero(a) == TextBeforeZero(b);
}

// The list line of an item: the marker "◎" when marked, else two blanks, then the text
// before its first zero byte.
// A line longer than kMaxDisplayBytes keeps its first kCutBytes (without splitting a
// character) followed by "...".
std::string BuildDisplayLine(std::string_view item, bool marked, platform::CodePage cp);

// A display line as the list paints it, in UTF-8: every line break (CRLF, LF, CR, and the
// Unicode separators U+0085, U+2028 and U+2029) shows as one "↵", so that each item
// stays one line high.
std::string DisplayUtf8(std::string_view line, platform::CodePage cp);

}  // namespace view
