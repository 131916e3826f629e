#pragma once

#include <QString>
#include <cstddef>
#include <string>
#include <vector>

#include "platform/code_page.h"

namespace dialogs {

// An item's text as the edit box holds it, and the way back to the item's bytes.
// The box keeps lines as paragraphs: a lone CR, LF, CRLF and U+2029 all become the same
// paragraph break there, and Qt's plain-text conversions change no-break spaces and the
// Unicode separators. So the item's own lines and breaks are kept here, and reading the
// box back gives every line and break the user did not touch byte for byte; only what
// was typed or pasted is converted from the box.
class EditBoxText {
 public:
  EditBoxText() = default;
  // `newBreak` is what a line break the user adds becomes in the item.
  EditBoxText(std::string text, platform::CodePage cp, std::string newBreak);

  // The break for lines the user adds to `item`: its first CRLF, LF or CR, else LF.
  static std::string BreakFor(const std::string& item);

  // The text to put into the box: the lines, separated by paragraph separators.
  const QString& Shown() const { return m_strShown; }
  // The item's bytes for the box's raw text (paragraphs separated by U+2029).
  std::string ItemText(const QString& raw) const;

 private:
  struct Span {
    std::size_t pos = 0;
    std::size_t size = 0;
  };
  void AppendSpan(std::string& out, const Span& span) const;

  std::string m_strText;
  platform::CodePage m_cp = platform::CodePage::Utf8;
  std::string m_strNewBreak = "\n";
  std::vector<Span> m_lines;   // m_lines.size() == m_breaks.size() + 1
  std::vector<Span> m_breaks;
  QString m_strShown;
};

}  // namespace dialogs
