#include "platform/wayland_clipboard_port.h"

#include <new>

#include "platform/alloc_fault.h"
#include "platform/selection_text.h"

namespace platform {
namespace {

// How long results of other programs wait for the compositor to report our own change.
constexpr qint64 kOwnChangeWaitMs = 2000;

}  // namespace

std::unique_ptr<WaylandClipboardPort> WaylandClipboardPort::Create(QObject* parent) {
  std::unique_ptr<WaylandClipboardPort> port(new WaylandClipboardPort(parent));
  WaylandClipboardPort* target = port.get();
  port->m_pReader = WaylandSelectionReader::Start(
      [target](WaylandSelectionEvent event) { target->OnReaderEvent(std::move(event)); });
  if (!port->m_pReader) return nullptr;
  port->ExpectStartupRead();
  return port;
}

WaylandClipboardPort::WaylandClipboardPort(QObject* parent) : ClipboardPort(parent) {}

WaylandClipboardPort::~WaylandClipboardPort() { m_pReader.reset(); }

void WaylandClipboardPort::OnReaderEvent(WaylandSelectionEvent event) {
  if (event.status == ClipboardStatus::Ok) {
    try {
      event.text =
          SelectionTextToItem(std::move(event.text), SelectionEncoding::Utf8, SystemCodePage());
      if (event.text.empty()) event.status = ClipboardStatus::NoText;
    } catch (const std::bad_alloc&) {
      std::string().swap(event.text);
      event.status = ClipboardStatus::NoMemory;
    }
    try {
      event.textCopy = event.text;
    } catch (const std::bad_alloc&) {
      event.textCopy.clear();  // ReadText copies then
    }
  }
  QMetaObject::invokeMethod(
      this, [this, event = std::move(event)]() mutable { Apply(std::move(event)); },
      Qt::QueuedConnection);
}

void WaylandClipboardPort::Apply(WaylandSelectionEvent event) {
  NoteReadResult();
  if (event.nOwnSeen < m_nOwnChanges && m_sinceOwnChange.elapsed() < kOwnChangeWaitMs) {
    return;  // read before our own change took the clipboard: out of date
  }
  m_last.Store(event.status, std::move(event.text), SystemCodePage(), event.bHasText,
               event.bHasAnyFormat);
  m_last.KeepCopies(std::move(event.textCopy));
  emit Changed();
}

ClipboardStatus WaylandClipboardPort::ReadText(std::string& text) { return m_last.ReadText(text); }

ClipboardStatus WaylandClipboardPort::WriteText(const std::string& text) {
  try {
    CheckAllocation();
    std::string item = text.substr(0, text.find('\0'));
    if (!m_pReader->SetSelection(ToUtf8(item, SystemCodePage()))) {
      return ClipboardStatus::CannotOpen;
    }
    ++m_nOwnChanges;
    m_sinceOwnChange.start();
    const ClipboardStatus status = item.empty() ? ClipboardStatus::NoText : ClipboardStatus::Ok;
    m_last.Store(status, std::move(item), SystemCodePage(), true, true);
  } catch (const std::bad_alloc&) {
    return ClipboardStatus::NoMemory;
  }
  NoteOwnChange();
  emit Changed();
  return ClipboardStatus::Ok;
}

bool WaylandClipboardPort::Clear() {
  if (!m_pReader->ClearSelection()) return false;
  ++m_nOwnChanges;
  m_sinceOwnChange.start();
  m_last.Store(ClipboardStatus::NoText, {}, SystemCodePage(), false, false);
  NoteOwnChange();
  emit Changed();
  return true;
}

bool WaylandClipboardPort::HasText() { return m_last.HasText(); }

bool WaylandClipboardPort::HasAnyFormat() { return m_last.HasAnyFormat(); }

}  // namespace platform
