#pragma once

#include <memory>
#include <string>

#include "platform/clipboard_port.h"
#include "platform/clipboard_snapshot.h"
#include "platform/own_write_rule.h"
#include "platform/selection_event.h"
#include "platform/selection_reader.h"

namespace platform {

// The real clipboard read off the window's thread, whatever the protocol: a
// SelectionReader reads each new selection on its own thread, the text is made an item
// and copied there too, and the window's thread only takes the finished result, queued.
// ReadText, HasText and HasAnyFormat answer from the last result and never wait for
// another program; the start does not wait for the first read either, which arrives as
// the first Changed. A write or clear of ours notices at once, inside the call; the
// reader's report of it is no second change (OwnWriteRule).
// A port for a protocol derives from this: its Create starts its reader with StartReading,
// and it writes and empties the clipboard in PutText and EmptyClipboard.
class SelectionClipboardPort : public ClipboardPort {
  Q_OBJECT

 public:
  ~SelectionClipboardPort() override;

  ClipboardStatus ReadText(std::string& text) final;
  bool TakeSpareCopy(std::string& text) final;
  ClipboardStatus WriteText(const std::string& text) final;
  bool Clear() final;
  bool HasText() final;
  bool HasAnyFormat() final;

 protected:
  using ClipboardPort::ClipboardPort;

  // Connects `reader` and starts its thread; false when it cannot connect.
  bool StartReading(std::unique_ptr<SelectionReader> reader);

  // Puts `utf8` on the clipboard as its only content; false when the clipboard could not
  // be taken. May throw std::bad_alloc.
  virtual bool PutText(std::string utf8) = 0;
  // Empties the clipboard; false when it could not.
  virtual bool EmptyClipboard() = 0;
  // A change of ours that the port did not make (OwnWriteRule): `event` as reported, to be
  // filled with the content where the reader could not read it. False: no change to report.
  virtual bool TakeOwnChangeElsewhere(SelectionEvent& event);

 private:
  // The reader's thread.
  void Deliver(SelectionEvent event);
  // The window's thread.
  void Apply(SelectionEvent event);

  ClipboardSnapshot m_last;
  OwnWriteRule m_ownWrites;
  std::unique_ptr<SelectionReader> m_pReader;
};

}  // namespace platform
