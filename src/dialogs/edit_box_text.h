#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "platform/code_page.h"

namespace dialogs {

// An item's text as the edit box holds it, and the way back to the item's bytes.
// The box keeps lines as paragraphs: a lone CR, LF, CRLF and U+2029 all become the same
// paragraph break there, and Qt's plain-text conversions change no-break spaces and the
// Unicode separators. So the item's own lines and breaks are kept here, and reading the
// box back gives every line and break the user did not touch byte for byte, wherever
// and in how many places the text was edited; only what was typed or pasted is
// converted from the box. Box texts are UTF-8 with U+2029 between paragraphs.
class EditBoxText {
 public:
  EditBoxText() = default;
  // `newBreak` is what a line break the user adds becomes in the item.
  EditBoxText(std::string text, platform::CodePage cp, std::string newBreak);

  // The break for lines the user adds to `item`: its first CRLF, LF or CR, else LF.
  static std::string BreakFor(const std::string& item);

  // The text to put into the box: the lines, separated by paragraph separators.
  const std::string& Shown() const { return m_strShown; }
  // The item's bytes for the box's raw text.
  std::string ItemText(std::string_view raw) const;

 private:
  struct Span {
    std::size_t pos = 0;
    std::size_t size = 0;
  };

  std::string m_strText;
  platform::CodePage m_cp = platform::CodePage::Utf8;
  std::string m_strNewBreak = "\n";
  std::vector<Span> m_lines;   // in m_strText; m_lines.size() == m_breaks.size() + 1
  std::vector<Span> m_breaks;  // in m_strText
  std::string m_strShown;
  std::vector<Span> m_shownLines;  // in m_strShown, one per line
};

}  // namespace dialogs
