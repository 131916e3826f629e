#pragma once

#include <memory>
#include <string>

#include "platform/selection_reader.h"

namespace platform {

// The Wayland reader: watches the clipboard of the first seat through a data-control
// protocol (the standard one where the compositor offers it, else the wlroots one) on a
// Wayland connection of its own, and reads each new selection's text there. Selections that come during a read wait, and only the newest is
// read next. Our own selections are served from the reader's thread too; they carry a
// type of our own, by which their echo is counted instead of read.
class WaylandSelectionReader final : public SelectionReader {
 public:
  WaylandSelectionReader();
  ~WaylandSelectionReader() override;

  // Any thread, once connected: offers `utf8` as the selection; false when the
  // connection is lost.
  bool SetSelection(std::string utf8);
  // Any thread, once connected: empties the selection.
  bool ClearSelection();

 private:
  class Worker;

  // Connects to $WAYLAND_DISPLAY; false when there is no compositor or it offers no
  // data-control manager.
  bool Connect() override;
  void Run() override;

  std::unique_ptr<Worker> m_pWorker;
};

}  // namespace platform
