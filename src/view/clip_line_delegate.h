#pragma once

#include <QFont>
#include <QHash>
#include <QStaticText>
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

 private:
  // `text` laid out in `font`, kept from an earlier paint when it was drawn lately.
  QStaticText Laid(const QString& text, const QFont& font) const;
  // MarkerSlotWidth for the lines' font, measured once per font.
  int SlotWidth(const QStyleOptionViewItem& option) const;
  // What is kept for another font is dropped.
  void KeepFont(const QFont& font) const;
  // Draws `text` at the left of `rect`, centred vertically.
  void DrawLine(QPainter* painter, const QRect& rect, const QString& text,
                const QFont& font) const;

  // Laying a line out costs several times more than drawing it, and after a capture
  // every visible line is drawn again, most of them only moved down by a row. The lines
  // drawn lately keep their layout: those drawn since the last turn, and those of the
  // turn before, which move up when drawn again.
  mutable QFont m_laidFont;
  mutable int m_nSlotWidth = -1;
  mutable QHash<QString, QStaticText> m_laid;
  mutable QHash<QString, QStaticText> m_laidBefore;
};

}  // namespace view
