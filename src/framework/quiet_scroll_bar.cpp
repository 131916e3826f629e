#include "framework/quiet_scroll_bar.h"

#include <QAbstractScrollArea>
#include <QCoreApplication>
#include <QEvent>
#include <QStyle>
#include <QStyleOptionSlider>

namespace fw {

QuietScrollBar::QuietScrollBar(Qt::Orientation orientation, QWidget* parent)
    : QScrollBar(orientation, parent) {}

void QuietScrollBar::InstallIn(QAbstractScrollArea& area) {
  for (const Qt::Orientation orientation : {Qt::Horizontal, Qt::Vertical}) {
    auto* bar = new QuietScrollBar(orientation);
    if (orientation == Qt::Horizontal) {
      area.setHorizontalScrollBar(bar);
    } else {
      area.setVerticalScrollBar(bar);
    }
    bar->m_bHadRange = bar->minimum() < bar->maximum();
    // Where this Qt connects otherwise, its own layout at every range stays.
    if (!QObject::disconnect(bar, SIGNAL(rangeChanged(int, int)), &area,
                             SLOT(_q_showOrHideScrollBars()))) {
      continue;
    }
    QObject::connect(bar, &QAbstractSlider::rangeChanged, &area, [&area, bar](int min, int max) {
      if ((min < max) == bar->m_bHadRange) return;
      bar->m_bHadRange = min < max;
      QCoreApplication::postEvent(&area, new QEvent(QEvent::LayoutRequest));
    });
  }
}

QuietScrollBar::Look QuietScrollBar::CurrentLook() const {
  QStyleOptionSlider option;
  initStyleOption(&option);
  return {style()->subControlRect(QStyle::CC_ScrollBar, &option, QStyle::SC_ScrollBarSlider, this),
          value() == minimum(), value() == maximum()};
}

void QuietScrollBar::sliderChange(SliderChange change) {
  if (m_drawn && *m_drawn == CurrentLook()) return;
  QScrollBar::sliderChange(change);
}

void QuietScrollBar::paintEvent(QPaintEvent* event) {
  m_drawn = CurrentLook();
  QScrollBar::paintEvent(event);
}

}  // namespace fw
