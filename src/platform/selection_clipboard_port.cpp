#include "platform/selection_clipboard_port.h"

#include <new>

#include "platform/alloc_fault.h"
#include "platform/code_page.h"

namespace platform {

SelectionClipboardPort::~SelectionClipboardPort() {
  // The reader's thread stops first: it reports to this port and runs the reader's Run.
  if (m_pReader) m_pReader->Stop();
}

bool SelectionClipboardPort::StartReading(std::unique_ptr<SelectionReader> reader) {
  if (!reader->Start([this](SelectionEvent event) { Deliver(std::move(event)); })) return false;
  m_pReader = std::move(reader);
  ExpectStartupRead();
  return true;
}

void SelectionClipboardPort::Deliver(SelectionEvent event) {
  FinishSelectionEvent(event);
  QMetaObject::invokeMethod(
      this, [this, event = std::move(event)]() mutable { Apply(std::move(event)); },
      Qt::QueuedConnection);
}

void SelectionClipboardPort::Apply(SelectionEvent event) {
  NoteReadResult();
  switch (m_ownWrites.Judge(event)) {
    case OwnWriteRule::Verdict::Ignore:
      return;
    case OwnWriteRule::Verdict::OwnChangeElsewhere:
      if (!TakeOwnChangeElsewhere(event)) return;
      break;
    case OwnWriteRule::Verdict::Take:
      break;
  }
  m_last.Store(event.status, std::move(event.text), event.codePage, event.bHasText,
               event.bHasAnyFormat);
  m_last.KeepCopies(std::move(event.textCopy), std::move(event.spareCopy));
  emit Changed();
}

bool SelectionClipboardPort::TakeOwnChangeElsewhere(SelectionEvent& event) {
  (void)event;
  return true;
}

ClipboardStatus SelectionClipboardPort::ReadText(std::string& text) {
  return m_last.ReadText(text);
}

bool SelectionClipboardPort::TakeSpareCopy(std::string& text) { return m_last.TakeSpareCopy(text); }

ClipboardStatus SelectionClipboardPort::WriteText(const std::string& text) {
  try {
    CheckAllocation();
    std::string item = text.substr(0, text.find('\0'));
    if (!PutText(ToUtf8(item, SystemCodePage()))) return ClipboardStatus::CannotOpen;
    m_ownWrites.NoteOwnChange();
    const ClipboardStatus status = item.empty() ? ClipboardStatus::NoText : ClipboardStatus::Ok;
    m_last.Store(status, std::move(item), SystemCodePage(), true, true);
  } catch (const std::bad_alloc&) {
    return ClipboardStatus::NoMemory;
  }
  NoteOwnChange();
  emit Changed();
  return ClipboardStatus::Ok;
}

bool SelectionClipboardPort::Clear() {
  if (!EmptyClipboard()) return false;
  m_ownWrites.NoteOwnChange();
  m_last.Store(ClipboardStatus::NoText, {}, SystemCodePage(), false, false);
  NoteOwnChange();
  emit Changed();
  return true;
}

bool SelectionClipboardPort::HasText() { return m_last.HasText(); }

bool SelectionClipboardPort::HasAnyFormat() { return m_last.HasAnyFormat(); }

}  // namespace platform
