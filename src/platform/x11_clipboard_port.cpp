#include "platform/x11_clipboard_port.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QMimeData>
#include <QtGui/qguiapplication_platform.h>
#include <xcb/xcb.h>

#include <cstdlib>
#include <new>

#include "platform/alloc_fault.h"
#include "platform/code_page.h"
#include "platform/qt_clipboard_port.h"
#include "platform/selection_text.h"

namespace platform {
namespace {

// How long a write of ours waits for the reader to report its owner change before
// results of other programs count again (the server may refuse an ownership request).
constexpr qint64 kOwnChangeWaitMs = 2000;

}  // namespace

std::unique_ptr<X11ClipboardPort> X11ClipboardPort::Create(QObject* parent) {
  auto* x11 = qApp ? qApp->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
  if (!x11 || !x11->connection()) return nullptr;
  std::unique_ptr<X11ClipboardPort> port(new X11ClipboardPort(parent));
  port->m_pQtConnection = x11->connection();

  // Qt's clipboard owner window is made on Qt's connection: its id lies in that
  // connection's range, which tells our own ownership changes from other programs'.
  const xcb_setup_t* setup = xcb_get_setup(port->m_pQtConnection);
  X11SelectionReader::Options options;
  options.ownBase = port->m_nOwnBase = setup->resource_id_base;
  options.ownMask = port->m_nOwnMask = setup->resource_id_mask;
  X11ClipboardPort* target = port.get();
  port->m_pReader = X11SelectionReader::Start(
      options, [target](SelectionEvent event) { target->OnReaderEvent(std::move(event)); });
  if (!port->m_pReader) return nullptr;
  port->ExpectStartupRead();
  return port;
}

X11ClipboardPort::X11ClipboardPort(QObject* parent)
    : ClipboardPort(parent), m_pClipboard(QGuiApplication::clipboard()) {}

X11ClipboardPort::~X11ClipboardPort() { m_pReader.reset(); }

void X11ClipboardPort::OnReaderEvent(SelectionEvent event) {
  try {
    event.textCopy = event.text;
    // Copying a large text into fresh memory costs milliseconds a megabyte here: the
    // copy that becomes the list's item is made now too, off the window's thread.
    if (event.text.size() >= kSpareCopyMinBytes) event.spareCopy = event.text;
  } catch (const std::bad_alloc&) {
    event.textCopy.clear();  // ReadText copies then
    event.spareCopy.clear();
  }
  QMetaObject::invokeMethod(
      this, [this, event = std::move(event)]() mutable { Apply(std::move(event)); },
      Qt::QueuedConnection);
}

void X11ClipboardPort::Apply(SelectionEvent event) {
  NoteReadResult();
  if (event.kind == SelectionEvent::Kind::OwnChange) {
    if (m_nExpectedOwnChanges > 0) {
      --m_nExpectedOwnChanges;
      return;
    }
    if (event.bOwnerNone) {
      // Another program emptied the clipboard.
      m_last.Store(ClipboardStatus::NoText, {}, SystemCodePage(), false, false);
      emit Changed();
      return;
    }
    // A copy made by a Qt widget of ours (an edit box), not through this port.
    if (StoreOwnContent()) emit Changed();
    return;
  }
  if (m_nExpectedOwnChanges > 0) {
    // Read before our own write took the clipboard: out of date.
    if (m_sinceOwnChange.elapsed() < kOwnChangeWaitMs) return;
    m_nExpectedOwnChanges = 0;
  }
  m_last.Store(event.status, std::move(event.text), event.codePage, event.bHasText,
               event.bHasAnyFormat);
  m_last.KeepCopies(std::move(event.textCopy), std::move(event.spareCopy));
  emit Changed();
}

// Our own content is at hand in this process: reading it waits for no other program.
bool X11ClipboardPort::StoreOwnContent() {
  if (!OwnsSelection()) return false;  // gone already; the reader reports the new owner
  const QMimeData* mime = m_pClipboard->mimeData(QClipboard::Clipboard);
  if (!mime) return false;
  const bool bAnyFormat = !mime->formats().isEmpty();
  try {
    const QByteArray utf8 = mime->text().toUtf8();
    const std::string_view bytes(utf8.constData(), static_cast<std::size_t>(utf8.size()));
    std::string text;
    if (!IsSecretContent(*mime)) {
      text = SelectionTextToItem(std::string(bytes), SelectionEncoding::Utf8, SystemCodePage());
    }
    const ClipboardStatus status = text.empty() ? ClipboardStatus::NoText : ClipboardStatus::Ok;
    m_last.Store(status, std::move(text), SystemCodePage(), status == ClipboardStatus::Ok,
                 bAnyFormat);
  } catch (const std::bad_alloc&) {
    m_last.Store(ClipboardStatus::NoMemory, {}, SystemCodePage(), true, bAnyFormat);
  }
  return true;
}

// Asks the server (not the owner), so it answers at once.
bool X11ClipboardPort::OwnsSelection() const {
  const xcb_get_selection_owner_cookie_t cookie =
      xcb_get_selection_owner(m_pQtConnection, m_pReader->ClipboardAtom());
  xcb_get_selection_owner_reply_t* reply =
      xcb_get_selection_owner_reply(m_pQtConnection, cookie, nullptr);
  const bool bOwn = reply && reply->owner != XCB_NONE &&
                    (reply->owner & ~m_nOwnMask) == m_nOwnBase;
  std::free(reply);
  return bOwn;
}

void X11ClipboardPort::ExpectOwnChange() {
  ++m_nExpectedOwnChanges;
  m_sinceOwnChange.start();
}

bool X11ClipboardPort::TakeSpareCopy(std::string& text) { return m_last.TakeSpareCopy(text); }

ClipboardStatus X11ClipboardPort::ReadText(std::string& text) { return m_last.ReadText(text); }

ClipboardStatus X11ClipboardPort::WriteText(const std::string& text) {
  try {
    CheckAllocation();
    std::string item = text.substr(0, text.find('\0'));
    const std::string utf8 = ToUtf8(item, SystemCodePage());
    auto* mime = new QMimeData;
    mime->setText(QString::fromUtf8(utf8.data(), static_cast<qsizetype>(utf8.size())));
    m_pClipboard->setMimeData(mime, QClipboard::Clipboard);
    // The server ignores an ownership request older than the current owner's; then the
    // clipboard still holds the other program's content and the write failed.
    if (!OwnsSelection()) return ClipboardStatus::CannotOpen;
    ExpectOwnChange();
    const ClipboardStatus status = item.empty() ? ClipboardStatus::NoText : ClipboardStatus::Ok;
    m_last.Store(status, std::move(item), SystemCodePage(), true, true);
  } catch (const std::bad_alloc&) {
    return ClipboardStatus::NoMemory;
  }
  NoteOwnChange();
  emit Changed();
  return ClipboardStatus::Ok;
}

bool X11ClipboardPort::Clear() {
  if (OwnsSelection()) {
    m_pClipboard->clear(QClipboard::Clipboard);
  } else {
    // QClipboard would first ask the other program for its formats, and wait for it;
    // taking the selection away needs no answer from it.
    xcb_set_selection_owner(m_pQtConnection, XCB_NONE, m_pReader->ClipboardAtom(),
                            XCB_CURRENT_TIME);
    xcb_flush(m_pQtConnection);
  }
  ExpectOwnChange();
  m_last.Store(ClipboardStatus::NoText, {}, SystemCodePage(), false, false);
  NoteOwnChange();
  emit Changed();
  return true;
}

bool X11ClipboardPort::HasText() { return m_last.HasText(); }

bool X11ClipboardPort::HasAnyFormat() { return m_last.HasAnyFormat(); }

}  // namespace platform
