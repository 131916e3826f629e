#include "framework/eliding_status_bar.h"

#include <QPainter>
#include <QPaintEvent>
#include <QSizeGrip>
#include <QStyleOption>
#include <algorithm>

namespace fw {

ElidingStatusBar::ElidingStatusBar(QWidget* parent) : QStatusBar(parent) {}

// While a message shows, the bar hides its normal panes: the visible ones are the
// permanent panes (and the size grip), and the message ends where the first begins.
QRect ElidingStatusBar::MessageRect() const {
  constexpr int kLeft = 6;
  int right = width() - 12;
  for (const QWidget* child : findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
    if (child->isVisible()) right = std::min(right, child->x() - 2);
  }
  return QRect(kLeft, 0, std::max(0, right - kLeft), height());
}

QString ElidingStatusBar::ShownMessage() const {
  return fontMetrics().elidedText(currentMessage(), Qt::ElideRight, MessageRect().width());
}

// As QStatusBar paints, with the message elided to its room.
void ElidingStatusBar::paintEvent(QPaintEvent* event) {
  if (currentMessage().isEmpty()) {
    QStatusBar::paintEvent(event);
    return;
  }
  QPainter painter(this);
  QStyleOption panel;
  panel.initFrom(this);
  style()->drawPrimitive(QStyle::PE_PanelStatusBar, &panel, &painter, this);
  for (QWidget* child : findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
    if (!child->isVisible() || qobject_cast<QSizeGrip*>(child)) continue;
    const QRect frame = child->geometry().adjusted(-2, -1, 2, 1);
    if (!event->rect().intersects(frame)) continue;
    QStyleOption item(0);
    item.rect = frame;
    item.palette = palette();
    item.state = QStyle::State_None;
    style()->drawPrimitive(QStyle::PE_FrameStatusBarItem, &item, &painter, child);
  }
  painter.setPen(palette().windowText().color());
  painter.drawText(MessageRect(), Qt::AlignLeading | Qt::AlignVCenter | Qt::TextSingleLine,
                   ShownMessage());
}

}  // namespace fw
