#include "dialogs/edit_box_text.h"

#include <algorithm>
#include <cstdint>
#include <functional>
#include <utility>

namespace dialogs {
namespace {

constexpr std::string_view kParagraphUtf8 = "\xE2\x80\xA9";
constexpr std::size_t kNone = static_cast<std::size_t>(-1);

// The middle of two texts is matched line by line only while its table stays this small
// (8 MB, a few milliseconds): beyond it only the common leading and trailing lines are
// kept. The longest common run is then at most 2,048 lines, which a 16-bit cell holds.
constexpr std::size_t kMaxMatchCells = std::size_t{1} << 22;

// The length of the line break at `pos` that the box turns into a paragraph break, 0 if
// there is none. Break bytes are ASCII (never a CP932 trail byte), and U+2029 exists only
// in UTF-8.
std::size_t BreakLength(std::string_view text, std::size_t pos, platform::CodePage cp) {
  const char c = text[pos];
  if (c == '\r') return pos + 1 < text.size() && text[pos + 1] == '\n' ? 2 : 1;
  if (c == '\n') return 1;
  if (cp == platform::CodePage::Utf8 && text.substr(pos).starts_with(kParagraphUtf8)) {
    return kParagraphUtf8.size();
  }
  return 0;
}

std::vector<std::string_view> SplitParagraphs(std::string_view text) {
  std::vector<std::string_view> lines;
  std::size_t start = 0;
  for (std::size_t end; (end = text.find(kParagraphUtf8, start)) != std::string_view::npos;) {
    lines.push_back(text.substr(start, end - start));
    start = end + kParagraphUtf8.size();
  }
  lines.push_back(text.substr(start));
  return lines;
}

using Match = std::pair<std::size_t, std::size_t>;  // (old line, new line)

// Appends the pairs of a longest common run of lines of old[a0, a1) and neu[b0, b1), in
// order; appends nothing when the table would be too large.
void MatchMiddle(const std::vector<std::string_view>& old, std::size_t a0, std::size_t a1,
                 const std::vector<std::string_view>& neu, std::size_t b0, std::size_t b1,
                 std::vector<Match>& matches) {
  const std::size_t rows = a1 - a0;
  const std::size_t cols = b1 - b0;
  if (rows == 0 || cols == 0 || (rows + 1) * (cols + 1) > kMaxMatchCells) return;
  std::vector<std::size_t> oldHash(rows);
  std::vector<std::size_t> newHash(cols);
  const std::hash<std::string_view> hash;
  for (std::size_t i = 0; i < rows; ++i) oldHash[i] = hash(old[a0 + i]);
  for (std::size_t j = 0; j < cols; ++j) newHash[j] = hash(neu[b0 + j]);
  const auto same = [&](std::size_t i, std::size_t j) {
    return oldHash[i] == newHash[j] && old[a0 + i] == neu[b0 + j];
  };

  // run[i][j]: the longest common run of old lines from i and new lines from j.
  const std::size_t width = cols + 1;
  std::vector<std::uint16_t> run((rows + 1) * width, 0);
  for (std::size_t i = rows; i-- > 0;) {
    for (std::size_t j = cols; j-- > 0;) {
      run[i * width + j] = same(i, j) ? static_cast<std::uint16_t>(run[(i + 1) * width + j + 1] + 1)
                                      : std::max(run[(i + 1) * width + j], run[i * width + j + 1]);
    }
  }
  for (std::size_t i = 0, j = 0; i < rows && j < cols;) {
    if (same(i, j)) {
      matches.emplace_back(a0 + i, b0 + j);
      ++i;
      ++j;
    } else if (run[(i + 1) * width + j] >= run[i * width + j + 1]) {
      ++i;
    } else {
      ++j;
    }
  }
}

}  // namespace

EditBoxText::EditBoxText(std::string text, platform::CodePage cp, std::string newBreak)
    : m_strText(std::move(text)), m_cp(cp), m_strNewBreak(std::move(newBreak)) {
  const std::string_view all = m_strText;
  std::size_t lineStart = 0;
  for (std::size_t pos = 0; pos < all.size();) {
    const std::size_t n = BreakLength(all, pos, cp);
    if (n == 0) {
      ++pos;
      continue;
    }
    m_lines.push_back({lineStart, pos - lineStart});
    m_breaks.push_back({pos, n});
    pos += n;
    lineStart = pos;
  }
  m_lines.push_back({lineStart, all.size() - lineStart});

  m_shownLines.reserve(m_lines.size());
  for (std::size_t i = 0; i < m_lines.size(); ++i) {
    if (i > 0) m_strShown += kParagraphUtf8;
    const std::string line = platform::ToUtf8(all.substr(m_lines[i].pos, m_lines[i].size), cp);
    m_shownLines.push_back({m_strShown.size(), line.size()});
    m_strShown += line;
  }
}

std::string EditBoxText::BreakFor(const std::string& item) {
  const std::size_t pos = item.find_first_of("\r\n");
  if (pos == std::string::npos) return "\n";
  if (item[pos] == '\n') return "\n";
  return pos + 1 < item.size() && item[pos + 1] == '\n' ? "\r\n" : "\r";
}

std::string EditBoxText::ItemText(std::string_view raw) const {
  if (raw == m_strShown) return m_strText;

  const std::vector<std::string_view> neu = SplitParagraphs(raw);
  std::vector<std::string_view> old;
  old.reserve(m_shownLines.size());
  for (const Span& line : m_shownLines) {
    old.push_back(std::string_view(m_strShown).substr(line.pos, line.size));
  }
  const std::size_t n = old.size();
  const std::size_t m = neu.size();

  // The untouched lines: the common leading and trailing ones, then a longest common run
  // of the lines between them.
  const std::size_t common = std::min(n, m);
  std::size_t lead = 0;
  while (lead < common && old[lead] == neu[lead]) ++lead;
  std::size_t trail = 0;
  while (trail < common - lead && old[n - 1 - trail] == neu[m - 1 - trail]) ++trail;
  std::vector<Match> matches;
  for (std::size_t i = 0; i < lead; ++i) matches.emplace_back(i, i);
  MatchMiddle(old, lead, n - trail, neu, lead, m - trail, matches);
  for (std::size_t k = trail; k > 0; --k) matches.emplace_back(n - k, m - k);

  // Breaks around the edited stretches. Between two untouched lines (an old line i1 and
  // i2, new j1 and j2, with the edited lines between them) stand the breaks after i1 ..
  // after i2 - 1 of the item and after j1 .. after j2 - 1 of the box. The break next to
  // the untouched line above keeps its bytes, and so do as many of the others as the
  // stretch's old and new line counts have in common, from its end: a line typed into a
  // stretch takes the new kind of break. The stretch after the last untouched line is
  // anchored at the end of the text instead. Positions before the first line and after
  // the last stand for no break; they only ever pair with each other.
  std::vector<std::size_t> keptLine(m, kNone);
  std::vector<std::size_t> keptBreak(m - 1, kNone);
  const auto keep = [&](std::ptrdiff_t newBreak, std::ptrdiff_t oldBreak) {
    if (newBreak >= 0 && static_cast<std::size_t>(newBreak) + 1 < m && oldBreak >= 0 &&
        static_cast<std::size_t>(oldBreak) + 1 < n) {
      keptBreak[static_cast<std::size_t>(newBreak)] = static_cast<std::size_t>(oldBreak);
    }
  };
  std::ptrdiff_t i1 = -1;
  std::ptrdiff_t j1 = -1;
  matches.emplace_back(n, m);
  for (const auto& [oldLine, newLine] : matches) {
    const auto i2 = static_cast<std::ptrdiff_t>(oldLine);
    const auto j2 = static_cast<std::ptrdiff_t>(newLine);
    const std::ptrdiff_t both = std::min(i2 - i1 - 1, j2 - j1 - 1);
    if (oldLine < n) {
      keptLine[newLine] = oldLine;
      keep(j1, i1);
      for (std::ptrdiff_t t = 0; t < both; ++t) keep(j2 - 1 - t, i2 - 1 - t);
    } else {
      keep(j2 - 1, i2 - 1);
      for (std::ptrdiff_t t = 0; t < both; ++t) keep(j1 + t, i1 + t);
    }
    i1 = i2;
    j1 = j2;
  }

  std::string out;
  out.reserve(m_strText.size() + raw.size());
  for (std::size_t j = 0; j < m; ++j) {
    if (j > 0) {
      const std::size_t b = keptBreak[j - 1];
      if (b == kNone) out += m_strNewBreak;
      else out.append(m_strText, m_breaks[b].pos, m_breaks[b].size);
    }
    const std::size_t i = keptLine[j];
    if (i == kNone) out += platform::FromUtf8(neu[j], m_cp);
    else out.append(m_strText, m_lines[i].pos, m_lines[i].size);
  }
  return out;
}

}  // namespace dialogs
