#include "view/clip_line_delegate.h"

#include <QApplication>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QPainter>
#include <algorithm>
#include <utility>

namespace view {
namespace {

const QString kMarker = QStringLiteral("\u25CE");
const QString kNoMarker = QStringLiteral("  ");
// Lines kept laid out per turn: more than a tall window shows.
constexpr qsizetype kLaidPerTurn = 256;

// A line in a document window that is not the active one shows its selection as the
// platform shows that of an inactive window.
bool InActiveWindow(const QWidget* widget) {
  if (!widget || !widget->isActiveWindow()) return false;
  for (const QWidget* w = widget; w; w = w->parentWidget()) {
    if (const auto* sub = qobject_cast<const QMdiSubWindow*>(w)) {
      return !sub->mdiArea() || sub->mdiArea()->currentSubWindow() == sub;
    }
  }
  return true;
}

}  // namespace

ClipLineDelegate::ClipLineDelegate(QObject* parent) : QStyledItemDelegate(parent) {}

int ClipLineDelegate::MarkerSlotWidth(const QFontMetrics& metrics) {
  return std::max(metrics.horizontalAdvance(kMarker), metrics.horizontalAdvance(kNoMarker));
}

int ClipLineDelegate::TextMargin(const QWidget* widget) {
  const QStyle* style = widget ? widget->style() : QApplication::style();
  return style->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, widget) + 1;
}

void ClipLineDelegate::paint(QPainter* painter, const QStyleOptionViewItem& option,
                             const QModelIndex& index) const {
  QStyleOptionViewItem opt(option);
  initStyleOption(&opt, index);
  const QWidget* widget = opt.widget;
  if (opt.state & QStyle::State_Enabled) {
    const bool active = InActiveWindow(widget);
    opt.state.setFlag(QStyle::State_Active, active);
    opt.palette.setCurrentColorGroup(active ? QPalette::Active : QPalette::Inactive);
  }

  // The display line starts with the marker or two blanks: the marker goes into its slot.
  QString text = opt.text;
  QString marker;
  if (text.startsWith(kMarker)) {
    marker = kMarker;
    text.remove(0, kMarker.size());
  } else if (text.startsWith(kNoMarker)) {
    text.remove(0, kNoMarker.size());
  }

  // Background, selection and focus frame across the row, without text.
  opt.text.clear();
  const QStyle* style = widget ? widget->style() : QApplication::style();
  style->drawControl(QStyle::CE_ItemViewItem, &opt, painter, widget);

  painter->save();
  const QPalette::ColorRole role =
      (opt.state & QStyle::State_Selected) ? QPalette::HighlightedText : QPalette::Text;
  painter->setPen(opt.palette.color(opt.palette.currentColorGroup(), role));
  painter->setFont(opt.font);
  QRect slot = opt.rect.adjusted(TextMargin(widget), 0, 0, 0);
  slot.setWidth(SlotWidth(opt));
  if (!marker.isEmpty()) DrawLine(painter, slot, marker, opt.font);
  const QRect textRect(slot.right() + 1, opt.rect.top(), opt.rect.right() - slot.right(),
                       opt.rect.height());
  DrawLine(painter, textRect, text, opt.font);
  painter->restore();
}

void ClipLineDelegate::DrawLine(QPainter* painter, const QRect& rect, const QString& text,
                                const QFont& font) const {
  if (text.isEmpty()) return;
  // A display line is one line with no line breaks and at most a few hundred bytes; the
  // row is as wide as the widest line, so nothing needs clipping.
  const qreal top = rect.top() + (rect.height() - QFontMetricsF(font).height()) / 2;
  painter->drawStaticText(QPointF(rect.left(), top), Laid(text, font));
}

void ClipLineDelegate::KeepFont(const QFont& font) const {
  if (font == m_laidFont) return;
  m_laid.clear();
  m_laidBefore.clear();
  m_nSlotWidth = -1;
  m_laidFont = font;
}

int ClipLineDelegate::SlotWidth(const QStyleOptionViewItem& option) const {
  KeepFont(option.font);
  if (m_nSlotWidth < 0) m_nSlotWidth = MarkerSlotWidth(option.fontMetrics);
  return m_nSlotWidth;
}

QStaticText ClipLineDelegate::Laid(const QString& text, const QFont& font) const {
  KeepFont(font);
  if (const auto kept = m_laid.constFind(text); kept != m_laid.cend()) return *kept;
  QStaticText laid = m_laidBefore.take(text);
  if (laid.text().isEmpty()) {
    laid.setText(text);
    laid.setTextFormat(Qt::PlainText);
    laid.setTextWidth(-1);
    laid.prepare(QTransform(), font);
  }
  if (m_laid.size() >= kLaidPerTurn) m_laidBefore = std::exchange(m_laid, {});
  m_laid.insert(text, laid);
  return laid;
}

}  // namespace view
