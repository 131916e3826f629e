#pragma once

#include <QStyledItemDelegate>

namespace view {

// Paints one line of the clip list as a list box does: the selection across the whole
// row, in the inactive colours while the line's document window is not the active one,
// and the clipboard marker in a slot of its own, so that the text of the marked line
// starts where the text of every other line starts.
class ClipLineDelegate : public QStyledItemDelegate {
  Q_OBJECT

 public:
  explicit ClipLineDelegate(QObject* parent = nullptr);

  // The width of the marker slot: the wider of the marker and two blanks.
  static int MarkerSlotWidth(const QFontMetrics& metrics);
  // The left margin before the marker slot.
  static int TextMargin(const QWidget* widget);

  void paint(QPainter* painter, const QStyleOptionViewItem& option,
             const QModelIndex& index) const override;
};

}  // namespace view
