#pragma once

#include <atomic>
#include <functional>
#include <thread>

#include "platform/selection_event.h"

namespace platform {

class SelectionClipboardPort;

// The protocol half of a clipboard port that reads off the window's thread: it watches
// the clipboard (CLIPBOARD only, never PRIMARY) over a connection of its own and reads
// each new selection on a thread of its own, so that a slow, huge or silent owner never
// holds up the window. A reader for another protocol derives from this and implements
// Connect and Run; SelectionClipboardPort starts it, takes its reports and stops it.
class SelectionReader {
 public:
  using Sink = std::function<void(SelectionEvent)>;

  // An owner that makes no progress for this long is given up: no text.
  static constexpr int kGiveUpMs = 1000;

  virtual ~SelectionReader();

  SelectionReader(const SelectionReader&) = delete;
  SelectionReader& operator=(const SelectionReader&) = delete;

 protected:
  SelectionReader() = default;

  // Window's thread, before the reader's thread starts: connects; false when there is no
  // server or it lacks the protocol.
  virtual bool Connect() = 0;
  // The reader's thread: reads the clipboard at start (the first report), then watches
  // and reads each new selection, until WakeFd() becomes readable or the connection ends.
  // Every wait polls WakeFd() too.
  virtual void Run() = 0;

  // Readable once the reader is to stop.
  int WakeFd() const { return m_wakePipe[0]; }

  // The reader's thread: a new selection, read as far as it could be (its bytes with
  // status Ok, or no text), or none at all.
  void Report(SelectionEvent event);
  // Any thread: one of our own changes is recognised; results reported from now on have
  // seen it.
  void CountOwnChange();
  // The reader's thread: a change that may be ours, reported at once, in order, as an
  // OwnChange event (OwnWriteRule tells whether the port made it).
  void ReportOwnChange(bool bOwnerNone);

 private:
  friend class SelectionClipboardPort;

  // Connects and starts the reader's thread, which reports to `sink`; false when it
  // cannot connect.
  bool Start(Sink sink);
  // Stops the reader's thread; returns within a few milliseconds, whatever an owner does.
  // The port calls it before the reader goes: the thread runs the derived class's Run.
  void Stop();

  Sink m_sink;
  std::atomic<int> m_nOwnSeen{0};
  std::thread m_thread;
  int m_wakePipe[2] = {-1, -1};
};

}  // namespace platform
