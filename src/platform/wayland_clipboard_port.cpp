#include "platform/wayland_clipboard_port.h"

#include "platform/wayland_selection_reader.h"

namespace platform {

std::unique_ptr<WaylandClipboardPort> WaylandClipboardPort::Create(QObject* parent) {
  std::unique_ptr<WaylandClipboardPort> port(new WaylandClipboardPort(parent));
  auto reader = std::make_unique<WaylandSelectionReader>();
  port->m_pWaylandReader = reader.get();
  if (!port->StartReading(std::move(reader))) return nullptr;
  return port;
}

WaylandClipboardPort::WaylandClipboardPort(QObject* parent) : SelectionClipboardPort(parent) {}

bool WaylandClipboardPort::PutText(std::string utf8) {
  return m_pWaylandReader->SetSelection(std::move(utf8));
}

bool WaylandClipboardPort::EmptyClipboard() { return m_pWaylandReader->ClearSelection(); }

}  // namespace platform
