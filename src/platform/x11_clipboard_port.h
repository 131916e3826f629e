#pragma once

#include <cstdint>
#include <memory>

#include "platform/selection_clipboard_port.h"

class QClipboard;
struct xcb_connection_t;

namespace platform {

class QtSelectionNotices;
class X11SelectionReader;

// The real clipboard on X11, read off the window's thread by the X11 reader (its own X
// connection, XFixes). Writing goes through QClipboard, so Qt owns the selection and
// serves other programs; the reader tells our writes by the owner, a window of Qt's
// connection.
class X11ClipboardPort : public SelectionClipboardPort {
  Q_OBJECT

 public:
  // Null when the application does not run on X11 or the server lacks XFixes.
  // Does not wait for the clipboard at start: that read arrives as the first Changed.
  static std::unique_ptr<X11ClipboardPort> Create(QObject* parent = nullptr);
  ~X11ClipboardPort() override;

 private:
  explicit X11ClipboardPort(QObject* parent);

  bool PutText(std::string utf8) override;
  bool EmptyClipboard() override;
  // A copy made by a Qt widget of ours (an edit box), or the clipboard emptied.
  bool TakeOwnChangeElsewhere(SelectionEvent& event) override;
  // True when a window of our own connection owns the clipboard.
  bool OwnsSelection() const;

  QClipboard* m_pClipboard;
  xcb_connection_t* m_pQtConnection = nullptr;
  // The id range of Qt's connection, which holds the window that owns our writes.
  std::uint32_t m_nOwnBase = 0;
  std::uint32_t m_nOwnMask = 0;
  // Owned by the base.
  X11SelectionReader* m_pX11Reader = nullptr;
  // Null when Qt's clipboard window was not found; Qt then hears of every copy.
  std::unique_ptr<QtSelectionNotices> m_pQtNotices;
};

}  // namespace platform
