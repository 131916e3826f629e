#pragma once

#include <atomic>
#include <cstdint>
#include <memory>

#include "platform/selection_reader.h"

namespace platform {

// The X11 reader: watches the CLIPBOARD selection's owner through XFixes on an X
// connection of its own, and asks each new owner for its text there (INCR for large
// texts). One read at a time: changes that come during a read replace it, and only the
// newest is read. Owner changes of our own connection and changes to no owner may be
// ours: they are reported at once, in order, as OwnChange events.
class X11SelectionReader final : public SelectionReader {
 public:
  // Owners whose window id lies in this client range are our own connection's windows:
  // (owner & ~ownMask) == ownBase. A zero mask means none are ours.
  X11SelectionReader(std::uint32_t ownBase, std::uint32_t ownMask);
  ~X11SelectionReader() override;

  // The CLIPBOARD atom (atoms are the same on every connection to the server), once
  // connected.
  std::uint32_t ClipboardAtom() const;
  // The server's time at the newest change of the clipboard's owner seen so far, ours
  // included; 0 before the first. Read on any thread.
  std::uint32_t NewestChangeTime() const { return m_nNewestChangeTime.load(); }

 private:
  class Worker;

  // Connects to $DISPLAY; false when there is no X server or it lacks XFixes.
  bool Connect() override;
  void Run() override;

  std::unique_ptr<Worker> m_pWorker;
  std::atomic<std::uint32_t> m_nNewestChangeTime{0};
};

}  // namespace platform
