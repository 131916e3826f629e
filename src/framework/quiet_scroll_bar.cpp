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
  const Look look = CurrentLook();
  if (m_drawn && *m_drawn == look) return;
  // A handle that moved or resized changes the pixels where it was and where it is: on
  // either side of both, the groove shows what it showed.
  if (m_drawn && m_drawn->bAtStart == look.bAtStart && m_drawn->bAtEnd == look.bAtEnd &&
      !m_drawn->handle.isEmpty() && !look.handle.isEmpty()) {
    update(m_drawn->handle | look.handle);
    return;
  }
  QScrollBar::sliderChange(change);
}

void QuietScrollBar::paintEvent(QPaintEvent* event) {
  m_drawn = CurrentLook();
  QScrollBar::paintEvent(event);
}

}  // namespace fw
