#pragma once

#include <cstddef>
#include <string>
#include <string_view>

#include "platform/code_page.h"

namespace view {

// Length limits of a list line, counting the marker as two bytes in any code page.
inline constexpr std::size_t kMaxDisplayBytes = 260;
inline constexpr std::size_t kCutBytes = 256;

// The list line of an item: the marker "◎" when marked, else two blanks, then the text.
// A line longer than kMaxDisplayBytes keeps its first kCutBytes (without splitting a
// character) followed by "...".
std::string BuildDisplayLine(std::string_view item, bool marked, platform::CodePage cp);

// A display line as the list paints it, in UTF-8: every line break (CRLF, LF, CR, and the
// Unicode separators U+0085, U+2028 and U+2029) shows as one "↵", so that each item
// stays one line high.
std::string DisplayUtf8(std::string_view line, platform::CodePage cp);

}  // namespace view
