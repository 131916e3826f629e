#pragma once

#include <QElapsedTimer>
#include <cstdint>
#include <memory>
#include <optional>

#include "platform/clipboard_port.h"
#include "platform/clipboard_snapshot.h"
#include "platform/x11_selection_reader.h"

class QClipboard;
struct xcb_connection_t;

namespace platform {

// The real clipboard on X11, read off the window's thread: a worker with its own X
// connection reads each new owner's text, and the window's thread only takes the
// finished result. ReadText, HasText and HasAnyFormat answer from the last result and
// never wait for another program. Writing goes through QClipboard, so Qt owns the
// selection and serves other programs; a write notices at once, inside the call.
class X11ClipboardPort : public ClipboardPort {
  Q_OBJECT

 public:
  // Null when the application does not run on X11 or the server lacks XFixes.
  // Does not wait for the clipboard at start: that read arrives as the first Changed.
  static std::unique_ptr<X11ClipboardPort> Create(QObject* parent = nullptr);
  ~X11ClipboardPort() override;

  ClipboardStatus ReadText(std::string& text) override;
  bool TakeSpareCopy(std::string& text) override;
  ClipboardStatus WriteText(const std::string& text) override;
  bool Clear() override;
  bool HasText() override;
  bool HasAnyFormat() override;

 private:
  explicit X11ClipboardPort(QObject* parent);

  // Worker thread: hands the event to the window's thread.
  void OnReaderEvent(SelectionEvent event);
  // Window's thread.
  void Apply(SelectionEvent event);
  void ExpectOwnChange();
  // Takes the clipboard's content from QClipboard while this process owns it; false
  // when it no longer does.
  bool StoreOwnContent();
  // True when a window of our own connection owns the clipboard.
  bool OwnsSelection() const;

  QClipboard* m_pClipboard;
  xcb_connection_t* m_pQtConnection = nullptr;
  // The id range of Qt's connection, which holds the window that owns our writes.
  std::uint32_t m_nOwnBase = 0;
  std::uint32_t m_nOwnMask = 0;

  ClipboardSnapshot m_last;
  // From this size on, the reader's thread also makes the copy that TakeSpareCopy gives.
  static constexpr std::size_t kSpareCopyMinBytes = 1 << 20;

  // Our own writes whose owner change the reader has not reported yet. Until it does,
  // a reader result describes an older owner and is out of date.
  int m_nExpectedOwnChanges = 0;
  QElapsedTimer m_sinceOwnChange;

  // Last, so that the worker stops before anything it reports to goes away.
  std::unique_ptr<X11SelectionReader> m_pReader;
};

}  // namespace platform
