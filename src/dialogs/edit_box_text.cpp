#include "dialogs/edit_box_text.h"

#include <algorithm>
#include <string_view>
#include <utility>

namespace dialogs {
namespace {

constexpr QChar kParagraph(0x2029);
constexpr std::string_view kParagraphUtf8 = "\xE2\x80\xA9";

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

QString FromBytes(std::string_view bytes, platform::CodePage cp) {
  const std::string utf8 = platform::ToUtf8(bytes, cp);
  return QString::fromUtf8(utf8.data(), static_cast<qsizetype>(utf8.size()));
}

std::string ToBytes(QStringView text, platform::CodePage cp) {
  return platform::FromUtf8(text.toUtf8().toStdString(), cp);
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

  for (std::size_t i = 0; i < m_lines.size(); ++i) {
    if (i > 0) m_strShown += kParagraph;
    m_strShown += FromBytes(all.substr(m_lines[i].pos, m_lines[i].size), cp);
  }
}

std::string EditBoxText::BreakFor(const std::string& item) {
  const std::size_t pos = item.find_first_of("\r\n");
  if (pos == std::string::npos) return "\n";
  if (item[pos] == '\n') return "\n";
  return pos + 1 < item.size() && item[pos + 1] == '\n' ? "\r\n" : "\r";
}

void EditBoxText::AppendSpan(std::string& out, const Span& span) const {
  out.append(m_strText, span.pos, span.size);
}

std::string EditBoxText::ItemText(const QString& raw) const {
  if (raw == m_strShown) return m_strText;

  // What lies in the common start or the common end of the shown and the current text is
  // untouched: its lines and breaks map to the item's, counted from the start or the end.
  const QString& old = m_strShown;
  const qsizetype common = std::min(old.size(), raw.size());
  qsizetype prefix = 0;
  while (prefix < common && old[prefix] == raw[prefix]) ++prefix;
  qsizetype suffix = 0;
  while (suffix < common - prefix && old[old.size() - 1 - suffix] == raw[raw.size() - 1 - suffix]) {
    ++suffix;
  }
  const qsizetype suffixStart = raw.size() - suffix;
  const qsizetype rawBreaks = raw.count(kParagraph);
  const qsizetype oldBreaks = static_cast<qsizetype>(m_breaks.size());

  std::string out;
  out.reserve(m_strText.size() + static_cast<std::size_t>(raw.size() - prefix - suffix) * 3);
  qsizetype line = 0;
  qsizetype start = 0;
  while (true) {
    qsizetype end = raw.indexOf(kParagraph, start);
    const bool last = end < 0;
    if (last) end = raw.size();
    if (!last && end < prefix) {
      AppendSpan(out, m_lines[static_cast<std::size_t>(line)]);
    } else if (line > 0 && start - 1 >= suffixStart) {
      AppendSpan(out, m_lines[static_cast<std::size_t>(oldBreaks - (rawBreaks - line))]);
    } else {
      out += ToBytes(QStringView(raw).mid(start, end - start), m_cp);
    }
    if (last) break;
    if (end < prefix) {
      AppendSpan(out, m_breaks[static_cast<std::size_t>(line)]);
    } else if (end >= suffixStart) {
      AppendSpan(out, m_breaks[static_cast<std::size_t>(oldBreaks - (rawBreaks - line))]);
    } else {
      out += m_strNewBreak;
    }
    ++line;
    start = end + 1;
  }
  return out;
}

}  // namespace dialogs
