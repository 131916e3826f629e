#pragma once

#include <QElapsedTimer>
#include <memory>
#include <optional>

#include "platform/clipboard_port.h"
#include "platform/clipboard_snapshot.h"
#include "platform/wayland_selection_reader.h"

namespace platform {

// The real clipboard on Wayland compositors that offer the data-control protocol (wlroots
// compositors, KDE Plasma): a worker with its own connection reads each new selection,
// and the window's thread only takes the finished result. ReadText, HasText and
// HasAnyFormat answer from the last result and never wait for another program. Writes
// offer the text from the worker and notice at once, inside the call; the compositor's
// report of our own selection is then swallowed.
class WaylandClipboardPort : public ClipboardPort {
  Q_OBJECT

 public:
  // Null when there is no compositor or it offers no data-control protocol. Does not wait
  // for the clipboard at start: that read arrives as the first Changed.
  static std::unique_ptr<WaylandClipboardPort> Create(QObject* parent = nullptr);
  ~WaylandClipboardPort() override;

  ClipboardStatus ReadText(std::string& text) override;
  ClipboardStatus WriteText(const std::string& text) override;
  bool Clear() override;
  bool HasText() override;
  bool HasAnyFormat() override;

 private:
  explicit WaylandClipboardPort(QObject* parent);

  // Worker thread: converts and copies, then hands the event to the window's thread.
  void OnReaderEvent(WaylandSelectionEvent event);
  // Window's thread.
  void Apply(WaylandSelectionEvent event);

  ClipboardSnapshot m_last;

  // Our own writes and clears so far; a result that has seen fewer of them describes an
  // older selection. The time limits that wait when the compositor never reports one.
  int m_nOwnChanges = 0;
  QElapsedTimer m_sinceOwnChange;

  // Last, so that the worker stops before anything it reports to goes away.
  std::unique_ptr<WaylandSelectionReader> m_pReader;
};

}  // namespace platform
