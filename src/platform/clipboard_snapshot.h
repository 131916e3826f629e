#pragma once

#include <string>

#include "platform/clipboard_port.h"
#include "platform/code_page.h"

namespace platform {

// The last clipboard result a reader on another thread delivered (or our own write), kept
// on the window's thread. The ports that read off that thread answer ReadText, HasText and
// HasAnyFormat from it, so none of them ever waits for another program.
class ClipboardSnapshot {
 public:
  // `text` is in `codePage`; ReadText converts it if the setting has changed since.
  // Drops the copies kept for the previous text.
  void Store(ClipboardStatus status, std::string text, CodePage codePage, bool bHasText,
             bool bHasAnyFormat);
  // Copies of the stored text made off the window's thread: copying a large text into
  // fresh memory takes long enough to freeze the window. `textCopy` goes to the next
  // ReadText, `spareCopy` to TakeSpareCopy; copies of another size are not used.
  void KeepCopies(std::string textCopy, std::string spareCopy = {});

  ClipboardStatus ReadText(std::string& text);
  bool TakeSpareCopy(std::string& text);
  bool HasText() const { return m_bHasText; }
  bool HasAnyFormat() const { return m_bHasAnyFormat; }

 private:
  ClipboardStatus m_status = ClipboardStatus::NoText;
  std::string m_strText;
  std::string m_strTextCopy;
  std::string m_strSpareCopy;
  CodePage m_textCodePage = CodePage::Utf8;
  bool m_bHasText = false;
  bool m_bHasAnyFormat = false;
};

}  // namespace platform
