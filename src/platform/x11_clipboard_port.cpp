#include "platform/x11_clipboard_port.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QMimeData>
#include <QWindow>
#include <QtGui/qguiapplication_platform.h>
#include <xcb/xcb.h>

#include <cstdlib>
#include <new>

#include "platform/qt_clipboard_port.h"
#include "platform/qt_selection_notices.h"
#include "platform/x11_selection_reader.h"

namespace platform {

std::unique_ptr<X11ClipboardPort> X11ClipboardPort::Create(QObject* parent) {
  auto* x11 = qApp ? qApp->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
  if (!x11 || !x11->connection()) return nullptr;
  std::unique_ptr<X11ClipboardPort> port(new X11ClipboardPort(parent));
  port->m_pQtConnection = x11->connection();

  // Qt's clipboard owner window is made on Qt's connection: its id lies in that
  // connection's range, which tells our own ownership changes from other programs'.
  const xcb_setup_t* setup = xcb_get_setup(port->m_pQtConnection);
  port->m_nOwnBase = setup->resource_id_base;
  port->m_nOwnMask = setup->resource_id_mask;
  auto reader = std::make_unique<X11SelectionReader>(port->m_nOwnBase, port->m_nOwnMask);
  port->m_pX11Reader = reader.get();
  if (!port->StartReading(std::move(reader))) return nullptr;
  port->m_pQtNotices =
      QtSelectionNotices::Find(port->m_pQtConnection, port->m_nOwnBase, port->m_nOwnMask,
                               port->m_pX11Reader->ClipboardAtom());
  if (QtSelectionNotices* notices = port->m_pQtNotices.get()) {
    // The edit boxes that paste through Qt are all in dialogs: the main window (a plain
    // top-level window) has none, and Qt hears of other programs' copies only while
    // another of our windows has the focus.
    const auto hearWhileADialogHasFocus = [notices,
                                           reader = port->m_pX11Reader](QWindow* window) {
      notices->SetHeard(window && window->type() != Qt::Window, reader->NewestChangeTime());
    };
    hearWhileADialogHasFocus(QGuiApplication::focusWindow());
    connect(qApp, &QGuiApplication::focusWindowChanged, port.get(), hearWhileADialogHasFocus);
  }
  return port;
}

X11ClipboardPort::X11ClipboardPort(QObject* parent)
    : SelectionClipboardPort(parent), m_pClipboard(QGuiApplication::clipboard()) {}

X11ClipboardPort::~X11ClipboardPort() = default;

bool X11ClipboardPort::PutText(std::string utf8) {
  auto* mime = new QMimeData;
  mime->setText(QString::fromUtf8(utf8.data(), static_cast<qsizetype>(utf8.size())));
  QtSelectionNotices::CatchUpTime(m_pX11Reader->NewestChangeTime());
  m_pClipboard->setMimeData(mime, QClipboard::Clipboard);
  // The server ignores an ownership request older than the current owner's; then the
  // clipboard still holds the other program's content and the write failed.
  return OwnsSelection();
}

bool X11ClipboardPort::EmptyClipboard() {
  if (OwnsSelection()) {
    m_pClipboard->clear(QClipboard::Clipboard);
  } else {
    // QClipboard would first ask the other program for its formats, and wait for it;
    // taking the selection away needs no answer from it.
    xcb_set_selection_owner(m_pQtConnection, XCB_NONE, m_pX11Reader->ClipboardAtom(),
                            XCB_CURRENT_TIME);
    xcb_flush(m_pQtConnection);
  }
  return true;
}

// Our own content is at hand in this process: reading it waits for no other program.
bool X11ClipboardPort::TakeOwnChangeElsewhere(SelectionEvent& event) {
  if (event.bOwnerNone) return true;   // another program emptied the clipboard
  if (!OwnsSelection()) return false;  // gone already; the reader reports the new owner
  const QMimeData* mime = m_pClipboard->mimeData(QClipboard::Clipboard);
  if (!mime) return false;
  event.bHasAnyFormat = !mime->formats().isEmpty();
  try {
    if (!IsSecretContent(*mime)) {
      const QByteArray utf8 = mime->text().toUtf8();
      event.text.assign(utf8.constData(), static_cast<std::size_t>(utf8.size()));
      event.encoding = SelectionEncoding::Utf8;
      event.status = ClipboardStatus::Ok;
    }
  } catch (const std::bad_alloc&) {
    std::string().swap(event.text);
    event.status = ClipboardStatus::NoMemory;
  }
  ConvertSelectionText(event);
  return true;
}

// Asks the server (not the owner), so it answers at once.
bool X11ClipboardPort::OwnsSelection() const {
  const xcb_get_selection_owner_cookie_t cookie =
      xcb_get_selection_owner(m_pQtConnection, m_pX11Reader->ClipboardAtom());
  xcb_get_selection_owner_reply_t* reply =
      xcb_get_selection_owner_reply(m_pQtConnection, cookie, nullptr);
  const bool bOwn = reply && reply->owner != XCB_NONE &&
                    (reply->owner & ~m_nOwnMask) == m_nOwnBase;
  std::free(reply);
  return bOwn;
}

}  // namespace platform
