#include "platform/lean_style.h"

#include <QApplication>
#include <QIconEngine>
#include <QImage>
#include <QPaintEngine>
#include <QPainter>
#include <QPointer>
#include <QStyleOption>
#include <QWidget>
#include <optional>
#include <utility>

namespace platform {
namespace {

// Stands for the base style's standard icon and asks the style for it on first use;
// everything after that is the real icon's doing.
class DeferredIconEngine : public QIconEngine {
 public:
  DeferredIconEngine(const QStyle* style, QStyle::StandardPixmap pixmap,
                     const QStyleOption* option, const QWidget* widget)
      // QPointer only watches for the objects' end; neither is changed through it.
      : m_pStyle(const_cast<QStyle*>(style)),
        m_pixmap(pixmap),
        m_pWidget(const_cast<QWidget*>(widget)) {
    if (option) {
      // The common part (direction, state, palette) is what styles read for an icon. It
      // is kept as a plain option, so that no cast takes it for the kind it was copied
      // from, and without the object it described, which may be gone by then.
      m_option = *option;
      m_option->type = QStyleOption::SO_Default;
      m_option->version = QStyleOption::Version;
      m_option->styleObject = nullptr;
    }
  }

  void paint(QPainter* painter, const QRect& rect, QIcon::Mode mode, QIcon::State state) override {
    Icon().paint(painter, rect, Qt::AlignCenter, mode, state);
  }
  QSize actualSize(const QSize& size, QIcon::Mode mode, QIcon::State state) override {
    return Icon().actualSize(size, mode, state);
  }
  QPixmap pixmap(const QSize& size, QIcon::Mode mode, QIcon::State state) override {
    return Icon().pixmap(size, 1.0, mode, state);
  }
  QList<QSize> availableSizes(QIcon::Mode mode, QIcon::State state) override {
    return Icon().availableSizes(mode, state);
  }
  QString iconName() override { return Icon().name(); }
  bool isNull() override { return Icon().isNull(); }
  QString key() const override { return QStringLiteral("DeferredIconEngine"); }
  QIconEngine* clone() const override {
    return new DeferredIconEngine(*this);
  }

 private:
  const QIcon& Icon() {
    if (!m_bResolved) {
      m_bResolved = true;
      if (m_pStyle) {
        m_icon = m_pStyle->standardIcon(m_pixmap, m_option ? &*m_option : nullptr, m_pWidget);
      }
    }
    return m_icon;
  }

  QPointer<QStyle> m_pStyle;
  QStyle::StandardPixmap m_pixmap;
  QPointer<QWidget> m_pWidget;
  std::optional<QStyleOption> m_option;
  QIcon m_icon;
  bool m_bResolved = false;
};

}  // namespace

LeanStyle::LeanStyle(QStyle* base, OwnIcons own)
    : QProxyStyle(base), m_ownIcons(std::move(own)) {}

QIcon LeanStyle::standardIcon(StandardPixmap standardIcon, const QStyleOption* option,
                              const QWidget* widget) const {
  if (const auto own = m_ownIcons.find(standardIcon); own != m_ownIcons.end()) return own->second;
  return QIcon(new DeferredIconEngine(baseStyle(), standardIcon, option, widget));
}

void LeanStyle::drawControl(ControlElement element, const QStyleOption* option,
                            QPainter* painter, const QWidget* widget) const {
  if (element != CE_ToolBar || !painter->paintEngine() ||
      painter->paintEngine()->type() != QPaintEngine::Raster) {
    QProxyStyle::drawControl(element, option, painter, widget);
    return;
  }
  // Only what the paint event asked for: a button's repaint draws one or two tiles.
  QRect needed = option->rect;
  if (const QRegion system = painter->paintEngine()->systemClip(); !system.isEmpty()) {
    needed &= painter->deviceTransform().inverted().mapRect(system.boundingRect());
  }
  if (painter->hasClipping()) needed &= painter->clipBoundingRect().toAlignedRect();
  // Short enough that no line in a tile goes to the threads.
  constexpr int kTile = 64;
  const qreal ratio = painter->device()->devicePixelRatioF();
  QImage tile(QSize(kTile, kTile) * ratio, QImage::Format_ARGB32_Premultiplied);
  tile.setDevicePixelRatio(ratio);
  for (int y = needed.top(); y <= needed.bottom(); y += kTile) {
    for (int x = needed.left(); x <= needed.right(); x += kTile) {
      tile.fill(Qt::transparent);
      {
        QPainter tilePainter(&tile);
        tilePainter.translate(-x, -y);
        tilePainter.setFont(painter->font());
        QProxyStyle::drawControl(element, option, &tilePainter, widget);
      }
      const QRect piece = QRect(x, y, kTile, kTile) & needed;
      painter->drawImage(piece, tile, QRectF(piece.translated(-x, -y).topLeft() * ratio,
                                            QSizeF(piece.size()) * ratio));
    }
  }
}

void InstallLeanStyle(LeanStyle::OwnIcons own) {
  // The proxy takes the current style over; QApplication then keeps the proxy.
  QApplication::setStyle(new LeanStyle(QApplication::style(), std::move(own)));
}

}  // namespace platform
