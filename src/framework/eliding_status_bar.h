#pragma once

#include <QStatusBar>

namespace fw {

// A status bar whose temporary messages (command prompts) that do not fit end with "…"
// at a character boundary instead of being cut mid-glyph at the first permanent pane.
class ElidingStatusBar : public QStatusBar {
  Q_OBJECT

 public:
  explicit ElidingStatusBar(QWidget* parent = nullptr);

  // Where the temporary message is painted: left of the permanent panes and the grip.
  QRect MessageRect() const;
  // The current message as it is painted.
  QString ShownMessage() const;

 protected:
  void paintEvent(QPaintEvent* event) override;
};

}  // namespace fw
