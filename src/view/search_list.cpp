#include "view/search_list.h"

#include <algorithm>
#include <cstring>

#include "document/clip_list.h"

namespace view {

ItemMatcher::ItemMatcher(std::string_view text, platform::CodePage cp) : m_text(text), m_cp(cp) {
  const std::size_t m = text.size();
  m_skip.fill(m);
  for (std::size_t i = 0; i + 1 < m; ++i) m_skip[static_cast<unsigned char>(text[i])] = m - 1 - i;
}

std::size_t ItemMatcher::FindBytes(std::string_view item, std::size_t from) const {
  const std::size_t m = m_text.size();
  const auto last = static_cast<unsigned char>(m_text[m - 1]);
  const char* bytes = item.data();
  for (std::size_t i = from; i + m <= item.size();) {
    const auto c = static_cast<unsigned char>(bytes[i + m - 1]);
    if (c == last && std::memcmp(bytes + i, m_text.data(), m - 1) == 0) return i;
    i += m_skip[c];
  }
  return std::string_view::npos;
}

bool ItemMatcher::Contains(std::string_view item) const {
  if (m_text.empty()) return false;
  // Character boundaries are found by stepping from the start of the item, once: each
  // hit continues from the boundary reached for the hit before it.
  std::size_t boundary = 0;
  while (true) {
    const std::size_t hit = FindBytes(item, boundary);
    if (hit == std::string_view::npos) return false;
    while (boundary < hit) boundary += platform::CharLength(item, boundary, m_cp);
    if (boundary == hit) return true;
  }
}

int SearchList(const doc::CClipList& list, std::string_view text, int selected, bool down,
               platform::CodePage cp) {
  const int count = list.GetCount();
  if (text.empty() || count == 0) return -1;
  const ItemMatcher matcher(text, cp);
  if (down) {
    for (int i = std::max(selected + 1, 0); i < count; ++i) {
      if (matcher.Contains(list.GetAt(i))) return i;
    }
    return -1;
  }
  const int start = selected < 0 || selected > count ? count - 1 : selected - 1;
  for (int i = start; i >= 0; --i) {
    if (matcher.Contains(list.GetAt(i))) return i;
  }
  return -1;
}

}  // namespace view
