#include "framework/quiet_scroll_bar.h"

#include <QStyle>
#include <QStyleOptionSlider>

namespace fw {

QuietScrollBar::QuietScrollBar(Qt::Orientation orientation, QWidget* parent)
    : QScrollBar(orientation, parent) {}

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
