#pragma once

#include <QLabel>

namespace fw {

// A one-line label that shows as much of its text as fits and ends it with "…" at a
// character boundary, rather than cutting a glyph at its edge. It asks for no width of
// its own, so it never widens its window.
class ElidedLabel : public QLabel {
  Q_OBJECT

 public:
  explicit ElidedLabel(const QString& text, QWidget* parent = nullptr);

  QSize minimumSizeHint() const override;
  // The text as it is painted at the label's current width.
  QString ShownText() const;

 protected:
  void paintEvent(QPaintEvent* event) override;
};

}  // namespace fw
