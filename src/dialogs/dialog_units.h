#pragma once

#include <QFont>
#include <QFontMetrics>
#include <QRect>

namespace dialogs {

// Dialog units of a font: x * bx / 4 and y * by / 8, with bx the average character
// width and by the line height.
class DialogUnits {
 public:
  explicit DialogUnits(const QFont& font) {
    const QFontMetrics metrics(font);
    // The average width of the Latin letters, as the base units are measured.
    const QString sample = QStringLiteral(
        "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz");
    m_bx = (metrics.horizontalAdvance(sample) / 26 + 1) / 2;
    m_by = metrics.height();
  }

  int X(int x) const { return x * m_bx / 4; }
  int Y(int y) const { return y * m_by / 8; }
  QSize ToPixels(QSize size) const { return {X(size.width()), Y(size.height())}; }
  QRect ToPixels(QRect rect) const {
    return {X(rect.x()), Y(rect.y()), X(rect.width()), Y(rect.height())};
  }

 private:
  int m_bx = 8;
  int m_by = 16;
};

}  // namespace dialogs
