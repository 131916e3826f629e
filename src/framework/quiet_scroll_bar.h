#pragma once

#include <QRect>
#include <QScrollBar>
#include <optional>

class QAbstractScrollArea;

namespace fw {

// A scroll bar that is redrawn only when what it shows changes: where its handle is and
// how long, and whether it stands at an end. A list that grows by a line at each copy
// sets a new range each time, which mostly moves the handle by less than a pixel.
class QuietScrollBar : public QScrollBar {
 public:
  explicit QuietScrollBar(Qt::Orientation orientation, QWidget* parent = nullptr);

  // Gives `area` a quiet bar of each orientation. The area lays out its children again at
  // every new range of a bar, which raises both bars above the viewport, and that redraws
  // them and what lies under them even where nothing moved; a new range changes the layout
  // only where a bar comes or goes, and only then is the area laid out again.
  static void InstallIn(QAbstractScrollArea& area);

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
  bool m_bHadRange = false;     // as last laid out: whether there was anything to scroll
};

}  // namespace fw
