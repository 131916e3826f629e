#pragma once

#include <QRect>
#include <QScrollBar>
#include <optional>

namespace fw {

// A scroll bar that is redrawn only when what it shows changes: where its handle is and
// how long, and whether it stands at an end. A list that grows by a line at each copy
// sets a new range each time, which mostly moves the handle by less than a pixel.
class QuietScrollBar : public QScrollBar {
 public:
  explicit QuietScrollBar(Qt::Orientation orientation, QWidget* parent = nullptr);

 protected:
  void sliderChange(SliderChange change) override;
  void paintEvent(QPaintEvent* event) override;

 private:
  struct Look {
    QRect handle;
    bool bAtStart = false;
    bool bAtEnd = false;
    bool operator==(const Look&) const = default;
  };
  Look CurrentLook() const;

  std::optional<Look> m_drawn;  // as last drawn
};

}  // namespace fw
