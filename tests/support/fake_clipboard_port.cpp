#include "support/fake_clipboard_port.h"

namespace testing_support {

using platform::ClipboardStatus;

ClipboardStatus FakeClipboardPort::ReadText(std::string& text) {
  if (m_bFailOpen) return ClipboardStatus::CannotOpen;
  if (!m_bHasText) return ClipboardStatus::NoText;
  if (m_bFailReadMemory) return ClipboardStatus::NoMemory;
  text = m_text;
  return ClipboardStatus::Ok;
}

ClipboardStatus FakeClipboardPort::WriteText(const std::string& text) {
  if (m_bFailWriteMemory) return ClipboardStatus::NoMemory;
  if (m_bFailOpen) return ClipboardStatus::CannotOpen;
  ++m_nWrites;
  // As on X11, our own write is noticed synchronously, inside the call.
  SimulateCopy(text);
  return ClipboardStatus::Ok;
}

bool FakeClipboardPort::Clear() {
  if (m_bFailOpen) return false;
  SimulateClear();
  return true;
}

void FakeClipboardPort::SimulateCopy(const std::string& text) {
  NoteReadResult();
  m_text = text.substr(0, text.find('\0'));
  m_bHasText = !m_text.empty();
  m_bHasOtherFormat = false;
  emit Changed();
}

void FakeClipboardPort::SimulateImage() {
  m_text.clear();
  m_bHasText = false;
  m_bHasOtherFormat = true;
  emit Changed();
}

void FakeClipboardPort::SimulateClear() {
  m_text.clear();
  m_bHasText = false;
  m_bHasOtherFormat = false;
  emit Changed();
}

}  // namespace testing_support
