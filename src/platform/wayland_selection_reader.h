#pragma once

#include <atomic>
#include <functional>
#include <memory>
#include <string>
#include <thread>

#include "platform/clipboard_port.h"

namespace platform {

// What the reader reports for one change of the seat's selection by another program.
struct WaylandSelectionEvent {
  ClipboardStatus status = ClipboardStatus::NoText;
  std::string text;      // Ok: UTF-8 from the reader; the port converts it in place
  std::string textCopy;  // empty, or a copy of `text` made off the window's thread
  bool bHasText = false;
  bool bHasAnyFormat = false;
  // How many of our own selections (writes and clears) the compositor had reported
  // before this one: an event older than our newest write is out of date.
  int nOwnSeen = 0;
};

// Watches the clipboard of the first seat through the data-control protocol, on a worker
// thread with its own Wayland connection, and reads each new selection's text there: a
// slow, huge or silent source never holds up the window's thread. Selections that come
// during a read wait, and only the newest is read next. Our own selections are served
// from the worker too, and are counted instead of read.
class WaylandSelectionReader {
 public:
  using Sink = std::function<void(WaylandSelectionEvent)>;

  // Connects to $WAYLAND_DISPLAY; null when there is no compositor or it offers no
  // data-control manager. The first event is the selection at start.
  static std::unique_ptr<WaylandSelectionReader> Start(Sink sink, int giveUpMs = 1000);
  // Stops the worker; returns within a few milliseconds, whatever the source does.
  ~WaylandSelectionReader();

  WaylandSelectionReader(const WaylandSelectionReader&) = delete;
  WaylandSelectionReader& operator=(const WaylandSelectionReader&) = delete;

  // Any thread: offers `utf8` as the selection; false when the connection is lost.
  bool SetSelection(std::string utf8);
  // Any thread: empties the selection.
  bool ClearSelection();

 private:
  class Worker;
  WaylandSelectionReader() = default;

  std::unique_ptr<Worker> m_pWorker;
  std::thread m_thread;
  int m_wakePipe[2] = {-1, -1};
};

}  // namespace platform
