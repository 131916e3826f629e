#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <thread>

#include "platform/clipboard_port.h"
#include "platform/code_page.h"

namespace platform {

// What the reader reports for one change of the CLIPBOARD selection's owner.
struct SelectionEvent {
  enum class Kind {
    Content,    // another program's clipboard, read: the fields below
    OwnChange,  // our own connection took the clipboard, or someone set no owner
  };
  Kind kind = Kind::Content;
  bool bOwnerNone = false;  // OwnChange only: the clipboard was emptied
  ClipboardStatus status = ClipboardStatus::NoText;
  std::string text;  // Ok: the text in `codePage`, cut at its first zero
  std::string textCopy;  // empty, or a copy of `text` made off the window's thread
  std::string spareCopy;  // a large text: one more copy, for the list item
  CodePage codePage = CodePage::Utf8;
  bool bHasText = false;
  bool bHasAnyFormat = false;
};

// Watches the CLIPBOARD selection on a worker thread with its own X connection and reads
// each new owner's text there, so a slow, huge or silent owner never holds up the
// window's thread. One read at a time: changes that come during a read replace it, and
// only the newest is reported. Events reach `sink` on the worker thread, in the order of
// the owner changes.
class X11SelectionReader {
 public:
  struct Options {
    // Owners whose window id lies in this client range are our own connection's windows:
    // (owner & ~ownMask) == ownBase. A zero mask means none are ours.
    std::uint32_t ownBase = 0;
    std::uint32_t ownMask = 0;
    // An owner that makes no progress for this long is given up: no text.
    int giveUpMs = 1000;
  };
  using Sink = std::function<void(SelectionEvent)>;

  // Connects to $DISPLAY and starts watching; the first event is the clipboard at start.
  // Null when there is no X server or it lacks the XFixes extension.
  static std::unique_ptr<X11SelectionReader> Start(const Options& options, Sink sink);
  // Stops the worker; returns within a few milliseconds, whatever the owner does.
  ~X11SelectionReader();

  X11SelectionReader(const X11SelectionReader&) = delete;
  X11SelectionReader& operator=(const X11SelectionReader&) = delete;

  // The CLIPBOARD atom (atoms are the same on every connection to the server).
  std::uint32_t ClipboardAtom() const;

 private:
  class Worker;
  X11SelectionReader() = default;

  std::unique_ptr<Worker> m_pWorker;
  std::thread m_thread;
  int m_wakePipe[2] = {-1, -1};
};

}  // namespace platform
