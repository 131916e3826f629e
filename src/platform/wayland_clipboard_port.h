#pragma once

#include <memory>

#include "platform/selection_clipboard_port.h"

namespace platform {

class WaylandSelectionReader;

// The real clipboard on Wayland compositors that offer a data-control protocol (the
// standard one: KDE Plasma, wlroots 0.19 and later, and others; or the older wlroots one),
// read off the window's thread by the Wayland reader. Writes offer the text from the reader's thread, marked as ours.
class WaylandClipboardPort : public SelectionClipboardPort {
  Q_OBJECT

 public:
  // Null when there is no compositor or it offers no data-control protocol. Does not wait
  // for the clipboard at start: that read arrives as the first Changed.
  static std::unique_ptr<WaylandClipboardPort> Create(QObject* parent = nullptr);

 private:
  explicit WaylandClipboardPort(QObject* parent);

  bool PutText(std::string utf8) override;
  bool EmptyClipboard() override;

  // Owned by the base.
  WaylandSelectionReader* m_pWaylandReader = nullptr;
};

}  // namespace platform
