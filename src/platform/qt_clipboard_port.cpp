#include "platform/qt_clipboard_port.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QMimeData>
#include <new>

#include "platform/alloc_fault.h"
#include "platform/code_page.h"
#include "platform/selection_text.h"

namespace platform {
namespace {

// Text of the content, whichever plain-text flavour the owner offers. hasText() can be
// false while text() still answers (an owner offering only text/plain;charset=utf-8).
QString PlainText(const QMimeData& mime) {
  QString text = mime.text();
  if (!text.isEmpty()) return text;
  for (const QString& format : mime.formats()) {
    if (format.startsWith(QLatin1String("text/plain"))) {
      return QString::fromUtf8(mime.data(format));
    }
  }
  return {};
}

}  // namespace

bool QtClipboardPort::SeesCopiesOnlyWithFocus() const {
  return QGuiApplication::platformName().startsWith(QLatin1String("wayland"));
}

bool IsSecretContent(const QMimeData& mime) {
  return mime.hasFormat(QLatin1String(kPasswordHintType)) &&
         mime.data(QLatin1String(kPasswordHintType)).trimmed() == "secret";
}

QtClipboardPort::QtClipboardPort(QObject* parent)
    : ClipboardPort(parent), m_pClipboard(QGuiApplication::clipboard()) {
  connect(m_pClipboard, &QClipboard::dataChanged, this, &QtClipboardPort::OnDataChanged);
}

void QtClipboardPort::OnDataChanged() {
  m_bFormatsKnown = false;
  emit Changed();
}

ClipboardStatus QtClipboardPort::ReadText(std::string& text) {
  const QMimeData* mime = m_pClipboard->mimeData(QClipboard::Clipboard);
  if (!mime || IsSecretContent(*mime)) return ClipboardStatus::NoText;
  try {
    const QByteArray utf8 = PlainText(*mime).toUtf8();
    const qsizetype zero = utf8.indexOf('\0');
    const std::string_view bytes(utf8.constData(), zero < 0 ? utf8.size() : zero);
    if (bytes.empty()) return ClipboardStatus::NoText;
    CheckAllocation();
    text = FromUtf8(bytes, SystemCodePage());
  } catch (const std::bad_alloc&) {
    return ClipboardStatus::NoMemory;
  }
  return ClipboardStatus::Ok;
}

ClipboardStatus QtClipboardPort::WriteText(const std::string& text) {
  try {
    CheckAllocation();
    const std::string utf8 = ToUtf8(text, SystemCodePage());
    auto* mime = new QMimeData;
    mime->setText(QString::fromUtf8(utf8.data(), static_cast<qsizetype>(utf8.size())));
    m_pClipboard->setMimeData(mime, QClipboard::Clipboard);
  } catch (const std::bad_alloc&) {
    return ClipboardStatus::NoMemory;
  }
  return ClipboardStatus::Ok;
}

bool QtClipboardPort::Clear() {
  m_pClipboard->clear(QClipboard::Clipboard);
  return true;
}

void QtClipboardPort::RefreshFormats() {
  if (m_bFormatsKnown) return;
  const QMimeData* mime = m_pClipboard->mimeData(QClipboard::Clipboard);
  m_bHasAnyFormat = mime && !mime->formats().isEmpty();
  m_bHasText = false;
  if (mime && !IsSecretContent(*mime)) {
    for (const QString& format : mime->formats()) {
      if (format.startsWith(QLatin1String("text/plain"))) m_bHasText = true;
    }
  }
  m_bFormatsKnown = true;
}

bool QtClipboardPort::HasText() {
  RefreshFormats();
  return m_bHasText;
}

bool QtClipboardPort::HasAnyFormat() {
  RefreshFormats();
  return m_bHasAnyFormat;
}

}  // namespace platform
