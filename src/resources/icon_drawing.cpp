#include "resources/icon_drawing.h"

#include <QPainter>
#include <algorithm>
#include <cmath>

namespace res {
namespace {

// Maps a 32 x 32 design grid onto `size` pixels, rounding every edge to a pixel.
class Grid {
 public:
  explicit Grid(int size) : m_scale(size / 32.0) {}

  int At(double unit) const { return static_cast<int>(std::lround(unit * m_scale)); }
  QRect Rect(double left, double top, double right, double bottom) const {
    return QRect(QPoint(At(left), At(top)), QPoint(At(right) - 1, At(bottom) - 1));
  }
  // A line thickness of `units`, never thinner than one pixel.
  int Thickness(double units) const { return std::max(1, At(units)); }

 private:
  double m_scale;
};

QImage BlankImage(int size) {
  QImage image(size, size, QImage::Format_ARGB32_Premultiplied);
  image.fill(Qt::transparent);
  return image;
}

// A filled rectangle with an outline `border` pixels wide drawn inside it.
void FramedRect(QPainter& painter, const QRect& rect, QColor fill, QColor frame, int border) {
  painter.fillRect(rect, frame);
  painter.fillRect(rect.adjusted(border, border, -border, -border), fill);
}

// Text lines of the given lengths (in grid units) from `left`, one every `step` units.
void TextLines(QPainter& painter, const Grid& grid, double left, double top, double step,
               std::initializer_list<double> lengths, QColor colour) {
  const int thickness = grid.Thickness(2);
  double y = top;
  for (double length : lengths) {
    painter.fillRect(QRect(grid.At(left), grid.At(y), grid.At(left + length) - grid.At(left),
                           thickness),
                     colour);
    y += step;
  }
}

}  // namespace

QImage DrawAppIcon(int size) {
  QImage image = BlankImage(size);
  QPainter painter(&image);
  const Grid grid(size);
  const int border = grid.Thickness(1);
  // The board, the sheet on it, and the clip at the top.
  FramedRect(painter, grid.Rect(4, 3, 28, 32), QColor(0xC0, 0x80, 0x40), QColor(0x60, 0x38, 0x10),
             border);
  FramedRect(painter, grid.Rect(7, 7, 25, 29), Qt::white, QColor(0x80, 0x80, 0x80), border);
  FramedRect(painter, grid.Rect(11, 0, 21, 7), QColor(0xC8, 0xC8, 0xC8), QColor(0x40, 0x40, 0x40),
             border);
  TextLines(painter, grid, 10, 11, 4, {12, 9, 12, 7}, QColor(0x00, 0x40, 0xC0));
  return image;
}

QImage DrawDocIcon(int size) {
  QImage image = BlankImage(size);
  QPainter painter(&image);
  const Grid grid(size);
  const int border = grid.Thickness(1);
  FramedRect(painter, grid.Rect(5, 1, 27, 31), Qt::white, QColor(0x40, 0x40, 0x40), border);
  // The folded corner at the top right.
  painter.setCompositionMode(QPainter::CompositionMode_Source);
  painter.fillRect(QRect(QPoint(grid.At(21), grid.At(1)), QPoint(size - 1, grid.At(7) - 1)),
                   Qt::transparent);
  painter.setCompositionMode(QPainter::CompositionMode_SourceOver);
  FramedRect(painter, grid.Rect(21, 1, 27, 7), QColor(0xD0, 0xD0, 0xD0), QColor(0x40, 0x40, 0x40),
             border);
  // A list: a marker and a line per item.
  for (int row = 0; row < 5; ++row) {
    const double top = 10 + row * 4;
    painter.fillRect(grid.Rect(8, top, 10, top + 2), QColor(0xC0, 0x20, 0x20));
  }
  TextLines(painter, grid, 12, 10, 4, {12, 9, 12, 7, 10}, QColor(0x00, 0x40, 0xC0));
  return image;
}

}  // namespace res
