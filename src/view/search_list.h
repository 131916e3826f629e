#pragma once

#include <cstddef>
#include <string_view>

#include "platform/code_page.h"

namespace doc {
class CClipList;
}

namespace view {

// Finds a text inside item texts: an exact, case-sensitive byte match that starts on a
// character boundary of the code page, so that the text never matches from the middle
// of a multibyte character. Built once per search and used for every item.
class ItemMatcher {
 public:
  // `text` must outlive the matcher.
  ItemMatcher(std::string_view text, platform::CodePage cp);

  // Whether `item` holds the text at a character boundary. An empty text matches nothing.
  bool Contains(std::string_view item) const;

 private:
  // Offset of the first occurrence of the text at or after `from`, or npos.
  std::size_t FindBytes(std::string_view item, std::size_t from) const;

  std::string_view m_text;
  platform::CodePage m_cp;
};

// The item a find-next press stops at, or -1. `selected` is the selected line (-1 for
// none). Downward the items after the selection are tested in order, from the first item
// when none is selected; upward the items before it in reverse order, from the last item
// when none is selected. The selected item itself is never tested and the search does not
// wrap around. An item is searched up to its first zero byte, as far as it is shown.
int SearchList(const doc::CClipList& list, std::string_view text, int selected, bool down,
               platform::CodePage cp);

}  // namespace view
