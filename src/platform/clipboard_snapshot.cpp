#include "platform/clipboard_snapshot.h"

#include <new>

#include "platform/code_page.h"

namespace platform {

void ClipboardSnapshot::Store(ClipboardStatus status, std::string text, CodePage codePage,
                              bool bHasText, bool bHasAnyFormat) {
  m_status = status;
  // Swapped, not assigned: a short text assigned over a long one would keep its memory.
  m_strText.swap(text);
  m_textCodePage = codePage;
  std::string().swap(m_strTextCopy);
  std::string().swap(m_strSpareCopy);
  m_bHasText = bHasText;
  m_bHasAnyFormat = bHasAnyFormat;
}

void ClipboardSnapshot::KeepCopies(std::string textCopy, std::string spareCopy) {
  m_strTextCopy.swap(textCopy);
  m_strSpareCopy.swap(spareCopy);
}

ClipboardStatus ClipboardSnapshot::ReadText(std::string& text) {
  if (m_status != ClipboardStatus::Ok) return m_status;
  try {
    // The code page setting can change after the text was read (it is read at start-up).
    if (m_textCodePage != SystemCodePage()) {
      m_strText = FromUtf8(ToUtf8(m_strText, m_textCodePage), SystemCodePage());
      m_textCodePage = SystemCodePage();
      m_strTextCopy.clear();
    }
    if (m_strTextCopy.size() == m_strText.size() && !m_strText.empty()) {
      text = std::move(m_strTextCopy);
      m_strTextCopy.clear();
    } else {
      text = m_strText;
    }
  } catch (const std::bad_alloc&) {
    return ClipboardStatus::NoMemory;
  }
  return ClipboardStatus::Ok;
}

bool ClipboardSnapshot::TakeSpareCopy(std::string& text) {
  if (m_status != ClipboardStatus::Ok || m_textCodePage != SystemCodePage() ||
      m_strSpareCopy.size() != m_strText.size() || m_strSpareCopy.empty()) {
    return false;
  }
  text = std::move(m_strSpareCopy);
  m_strSpareCopy.clear();
  return true;
}

}  // namespace platform
