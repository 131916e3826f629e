#include "view/search_list.h"

#include <algorithm>
#include <cstring>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include "document/clip_list.h"
#include "view/display_line.h"

namespace view {

ItemMatcher::ItemMatcher(std::string_view text, platform::CodePage cp) : m_text(text), m_cp(cp) {}

std::size_t ItemMatcher::FindBytes(std::string_view item, std::size_t from) const {
  const std::size_t m = m_text.size();
  const std::size_t n = item.size();
  const char* bytes = item.data();
  std::size_t i = from;
#if defined(__SSE2__)
  // Sixteen starts at a time: a start is worth comparing when the item has the text's
  // first byte there and its last byte where the text would end. Unlike a skip table,
  // this stays fast for the short texts people mostly look for.
  const __m128i first = _mm_set1_epi8(m_text.front());
  const __m128i last = _mm_set1_epi8(m_text.back());
  for (; i + m - 1 + 16 <= n; i += 16) {
    const __m128i starts = _mm_loadu_si128(reinterpret_cast<const __m128i*>(bytes + i));
    const __m128i ends = _mm_loadu_si128(reinterpret_cast<const __m128i*>(bytes + i + m - 1));
    auto candidates = static_cast<unsigned>(_mm_movemask_epi8(
        _mm_and_si128(_mm_cmpeq_epi8(starts, first), _mm_cmpeq_epi8(ends, last))));
    while (candidates != 0) {
      const std::size_t at = i + static_cast<std::size_t>(__builtin_ctz(candidates));
      if (std::memcmp(bytes + at, m_text.data(), m) == 0) return at;
      candidates &= candidates - 1;
    }
  }
#endif
  while (i + m <= n) {
    const void* found = std::memchr(bytes + i, m_text.front(), n - m + 1 - i);
    if (!found) break;
    const auto at = static_cast<std::size_t>(static_cast<const char*>(found) - bytes);
    if (std::memcmp(bytes + at, m_text.data(), m) == 0) return at;
    i = at + 1;
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
      if (matcher.Contains(TextBeforeZero(list.GetAt(i)))) return i;
    }
    return -1;
  }
  const int start = selected < 0 || selected > count ? count - 1 : selected - 1;
  for (int i = start; i >= 0; --i) {
    if (matcher.Contains(TextBeforeZero(list.GetAt(i)))) return i;
  }
  return -1;
}

}  // namespace view
