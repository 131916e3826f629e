#include "view/clip_list_box.h"

#include <QAction>
#include <QContextMenuEvent>
#include <QMenu>
#include <QMouseEvent>
#include <QPainter>
#include <QResizeEvent>
#include <QScrollBar>
#include <QTimer>
#include <algorithm>
#include <memory>
#include <vector>

#include "framework/command_bars.h"
#include "framework/mdi_child_wnd.h"
#include "framework/mdi_frame_wnd.h"
#include "framework/quiet_scroll_bar.h"

#include "resources/command_ids.h"
#include "view/clip_line_delegate.h"
#include "view/clip_list_box_accessible.h"
#include "view/clip_list_model.h"
#include "view/tolvane_view.h"

namespace view {
namespace {

// While the pointer is held above or below the list during a drag, one line per tick.
constexpr int kDragScrollIntervalMs = 100;

}  // namespace

CClipListBox::CClipListBox(CTolvaneView* view)
    : QAbstractItemView(view), m_pView(view), m_pScrollTimer(new QTimer(this)) {
  setObjectName(QStringLiteral("ClipList130"));
  setFrameShape(QFrame::NoFrame);
  setSelectionMode(QAbstractItemView::SingleSelection);
  setSelectionBehavior(QAbstractItemView::SelectRows);
  setEditTriggers(QAbstractItemView::NoEditTriggers);
  setTabKeyNavigation(false);
  // Each copy sets the lines' range anew; the bars are redrawn only when that shows.
  fw::QuietScrollBar::InstallIn(*this);
  setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
  setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
  setHorizontalScrollMode(QAbstractItemView::ScrollPerPixel);
  setVerticalScrollMode(QAbstractItemView::ScrollPerItem);
  setTextElideMode(Qt::ElideNone);
  setItemDelegate(new ClipLineDelegate(this));
  m_pScrollTimer->setInterval(kDragScrollIntervalMs);
  connect(m_pScrollTimer, &QTimer::timeout, this, &CClipListBox::ScrollOneLine);
  InstallClipListBoxAccessibility();
}

// A drag still running gives the cursor back.
CClipListBox::~CClipListBox() { EndDrag(); }

int CClipListBox::GetCurSel() const {
  const QModelIndexList selected =
      selectionModel() ? selectionModel()->selectedIndexes() : QModelIndexList();
  return selected.isEmpty() ? -1 : selected.first().row();
}

void CClipListBox::SetCurSel(int line) {
  if (!model() || line < 0 || line >= model()->rowCount()) {
    if (selectionModel()) selectionModel()->clear();
    return;
  }
  const QModelIndex index = model()->index(line, 0);
  selectionModel()->setCurrentIndex(index, QItemSelectionModel::ClearAndSelect);
  scrollTo(index);
}

int CClipListBox::GetCount() const { return model() ? model()->rowCount() : 0; }

void CClipListBox::SetLineMetrics(int height, int extent) {
  const int lineHeight = std::max(height, 1);
  if (lineHeight != m_nLineHeight) {
    m_nLineHeight = lineHeight;
    updateGeometries();
    viewport()->update();
  }
  m_nExtent = extent;
  FitColumn();
}

void CClipListBox::ShowMovedLines(int movedFrom, bool selectionMoved) {
  ForgetClipListBoxLines(this);
  // A line added at the head leaves a layout of all lines waiting, which would draw them.
  m_bKeepDrawnLines = true;
  executeDelayedItemsLayout();
  m_bKeepDrawnLines = false;
  const auto* lines = qobject_cast<const ClipListModel*>(model());
  const int top = rowAt(0);
  // The insertion marker of a drag is drawn between lines: everything is drawn again.
  if (!lines || top < 0 || m_bDragging) {
    viewport()->update();
    return;
  }
  int bottom = rowAt(viewport()->height() - 1);
  if (bottom < 0) bottom = GetCount() - 1;
  std::vector<int> redraw = lines->DrawnMarked();
  if (movedFrom >= 0) {
    const int last = std::min(movedFrom, bottom);
    if (last >= top) viewport()->scroll(0, rowHeight(top), LinesRect(top, last));
    redraw.push_back(0);
    // A selected or current line above the moved item took its highlight or frame one down.
    for (const int moved : {GetCurSel(), currentIndex().row()}) {
      if (selectionMoved || moved < 0 || moved > movedFrom) continue;
      redraw.push_back(moved);
      redraw.push_back(moved + 1);
    }
  }
  for (int row = top; row <= bottom; ++row) {
    if (lines->IsMarked(row)) redraw.push_back(row);
  }
  for (const int row : redraw) {
    if (row >= top && row <= bottom) viewport()->update(LinesRect(row, row));
  }
}

QRect CClipListBox::LinesRect(int first, int last) const {
  return {0, (first - TopLine()) * m_nLineHeight, viewport()->width(),
          (last - first + 1) * m_nLineHeight};
}

void CClipListBox::doItemsLayout() {
  if (m_bKeepDrawnLines) {
    updateGeometries();
    return;
  }
  QAbstractItemView::doItemsLayout();
}

void CClipListBox::FitColumn() {
  const int width = std::max(m_nExtent, viewport()->width());
  if (width == m_nColumnWidth) return;
  m_nColumnWidth = width;
  updateGeometries();
  viewport()->update();
}

void CClipListBox::resizeEvent(QResizeEvent* event) {
  QAbstractItemView::resizeEvent(event);
  FitColumn();
}

int CClipListBox::TopLine() const { return verticalScrollBar()->value(); }

int CClipListBox::LinesInView() const { return std::max(1, viewport()->height() / m_nLineHeight); }

QModelIndex CClipListBox::Line(int line) const { return model()->index(line, 0, rootIndex()); }

int CClipListBox::rowAt(int y) const {
  if (y < 0) return -1;
  const int line = TopLine() + y / m_nLineHeight;
  return line < GetCount() ? line : -1;
}

int CClipListBox::NearestLine(const QPoint& point) const {
  const int count = GetCount();
  if (count == 0) return -1;
  const int row = rowAt(point.y());
  if (row >= 0) return row;
  return point.y() < 0 ? 0 : count - 1;
}

QRect CClipListBox::visualRect(const QModelIndex& index) const {
  if (!index.isValid() || index.column() != 0 || index.parent() != rootIndex()) return {};
  return {-horizontalOffset(), (index.row() - TopLine()) * m_nLineHeight, m_nColumnWidth,
          m_nLineHeight};
}

QModelIndex CClipListBox::indexAt(const QPoint& point) const {
  const int x = point.x() + horizontalOffset();
  const int line = rowAt(point.y());
  if (line < 0 || x < 0 || x >= m_nColumnWidth) return {};
  return Line(line);
}

void CClipListBox::scrollTo(const QModelIndex& index, ScrollHint hint) {
  // During a drag the list scrolls only while the pointer is held outside it: the line
  // pressed to begin the drag is not brought back into view when the press's delay ends.
  if (m_bDragging || !index.isValid() || index.parent() != rootIndex()) return;
  // Vertically as a list box: only as far as needed, unless told where.
  const int line = index.row();
  const int lines = LinesInView();
  int top = TopLine();
  switch (hint) {
    case EnsureVisible:
      if (line < top) {
        top = line;
      } else if (line >= top + lines) {
        top = line - lines + 1;
      }
      break;
    case PositionAtTop: top = line; break;
    case PositionAtBottom: top = line - lines + 1; break;
    case PositionAtCenter: top = line - (lines - 1) / 2; break;
  }
  verticalScrollBar()->setValue(top);
  // Horizontally a line shows from its start when it is wider than the list.
  const int viewWidth = viewport()->width();
  if (hint == PositionAtCenter) {
    horizontalScrollBar()->setValue((m_nColumnWidth - viewWidth) / 2);
  } else if (m_nColumnWidth > viewWidth) {
    horizontalScrollBar()->setValue(0);
  }
}

void CClipListBox::PaintLines(QPainter& painter, const QRect& area) {
  const int count = GetCount();
  if (count == 0) return;
  const int top = TopLine();
  const int first = top + std::max(area.top(), 0) / m_nLineHeight;
  const int last = std::min(count - 1, top + std::max(area.bottom(), 0) / m_nLineHeight);
  QStyleOptionViewItem base;
  initViewItemOption(&base);
  const QModelIndex current = currentIndex();
  const bool focus = (hasFocus() || viewport()->hasFocus()) && current.isValid();
  for (int line = first; line <= last; ++line) {
    const QModelIndex index = Line(line);
    QStyleOptionViewItem option(base);
    option.rect = visualRect(index);
    if (selectionModel() && selectionModel()->isSelected(index)) {
      option.state |= QStyle::State_Selected;
    }
    if (focus && index == current) option.state |= QStyle::State_HasFocus;
    style()->drawPrimitive(QStyle::PE_PanelItemViewRow, &option, &painter, this);
    itemDelegateForIndex(index)->paint(&painter, option, index);
  }
}

QModelIndex CClipListBox::moveCursor(CursorAction action, Qt::KeyboardModifiers /*modifiers*/) {
  const int count = GetCount();
  const QModelIndex current = currentIndex();
  if (count == 0) return {};
  if (action == MoveHome) return Line(0);
  if (action == MoveEnd) return Line(count - 1);
  if (!current.isValid()) return Line(0);
  const int line = current.row();
  switch (action) {
    case MoveUp:
    case MovePrevious: return Line(std::max(line - 1, 0));
    case MoveDown:
    case MoveNext: return Line(std::min(line + 1, count - 1));
    case MovePageUp: return Line(std::max(line - LinesInView(), 0));
    case MovePageDown: return Line(std::min(line + LinesInView(), count - 1));
    default: return current;  // one column: left and right stay on the line
  }
}

int CClipListBox::horizontalOffset() const { return horizontalScrollBar()->value(); }

int CClipListBox::verticalOffset() const { return TopLine() * m_nLineHeight; }

bool CClipListBox::isIndexHidden(const QModelIndex& /*index*/) const { return false; }

void CClipListBox::setSelection(const QRect& rect, QItemSelectionModel::SelectionFlags command) {
  if (!selectionModel()) return;
  const QRect lines = rect.normalized();
  const int count = GetCount();
  int first = rowAt(std::max(lines.top(), 0));
  int last = rowAt(lines.bottom());
  if (first < 0 && last < 0) {
    selectionModel()->select(QItemSelection(), command);
    return;
  }
  if (first < 0) first = 0;
  if (last < 0) last = count - 1;
  selectionModel()->select(QItemSelection(Line(first), Line(last)), command);
}

QRegion CClipListBox::visualRegionForSelection(const QItemSelection& selection) const {
  QRegion region;
  const int top = TopLine();
  const int bottom = top + LinesInView();  // the line partly shown below the last whole one
  for (const QItemSelectionRange& range : selection) {
    if (range.parent() != rootIndex()) continue;
    const int first = std::max(range.top(), top);
    const int last = std::min(range.bottom(), bottom);
    if (first > last) continue;
    region += QRect(0, (first - top) * m_nLineHeight, viewport()->width(),
                    (last - first + 1) * m_nLineHeight);
  }
  return region;
}

void CClipListBox::updateGeometries() {
  const int lines = LinesInView();
  verticalScrollBar()->setSingleStep(1);
  verticalScrollBar()->setPageStep(lines);
  verticalScrollBar()->setRange(0, std::max(0, GetCount() - lines));
  const int viewWidth = viewport()->width();
  horizontalScrollBar()->setSingleStep(std::max(viewWidth / 2, 2));
  horizontalScrollBar()->setPageStep(viewWidth);
  horizontalScrollBar()->setRange(0, std::max(0, m_nColumnWidth - viewWidth));
  QAbstractItemView::updateGeometries();
}

void CClipListBox::scrollContentsBy(int /*dx*/, int /*dy*/) { viewport()->update(); }

void CClipListBox::reset() {
  ForgetClipListBoxLines(this);
  QAbstractItemView::reset();
  // At once, not when the event loop next runs: a refill selects and shows a line next.
  updateGeometries();
  viewport()->update();
}

void CClipListBox::dataChanged(const QModelIndex& topLeft, const QModelIndex& bottomRight,
                               const QList<int>& roles) {
  if (topLeft == bottomRight) {
    QAbstractItemView::dataChanged(topLeft, bottomRight, roles);
    return;
  }
  // Only the changed lines in view are drawn again, found from their numbers: Qt's own
  // handler would take the rectangle of every changed line, a million after a capture
  // into a list loaded from a file.
  if (!topLeft.isValid() || !bottomRight.isValid()) return;
  const int top = TopLine();
  const int first = std::max(topLeft.row(), top);
  const int last = std::min(bottomRight.row(), top + LinesInView());
  if (first > last) return;
  viewport()->update(QRect(0, (first - top) * m_nLineHeight, viewport()->width(),
                           (last - first + 1) * m_nLineHeight));
}

void CClipListBox::rowsInserted(const QModelIndex& parent, int first, int last) {
  ForgetClipListBoxLines(this);
  QAbstractItemView::rowsInserted(parent, first, last);
  updateGeometries();
  // A line added at the head by a capture: the view moves the lines drawn instead.
  const auto* lines = qobject_cast<const ClipListModel*>(model());
  if (!lines || lines->LastChange() != ClipListModel::LineChange::Added) viewport()->update();
}

// The selection shows in the inactive colours once another window has the focus.
void CClipListBox::focusOutEvent(QFocusEvent* event) {
  // A window that takes the focus (a message box) takes the pointer with it.
  if (m_bDragging) CancelDrag();
  QAbstractItemView::focusOutEvent(event);
  viewport()->update();
}

void CClipListBox::focusInEvent(QFocusEvent* event) {
  QAbstractItemView::focusInEvent(event);
  AnnounceClipListBoxFocus(this);
  m_pView->OnListFocus();
}

void CClipListBox::mouseDoubleClickEvent(QMouseEvent* event) {
  QAbstractItemView::mouseDoubleClickEvent(event);
  if (event->button() == Qt::LeftButton && indexAt(event->position().toPoint()).isValid()) {
    m_pView->OnDblclkClipList();
  }
}

void CClipListBox::mousePressEvent(QMouseEvent* event) {
  const QPoint point = event->position().toPoint();
  if (m_bDragging) {
    event->accept();
    return;
  }
  if (event->button() == Qt::RightButton) {
    OnRButtonDown(point);
    return;
  }
  if (event->button() == Qt::LeftButton) {
    // A press on a line selects it and may begin a drag of it.
    m_ptPress = point;
    m_nPressLine = LineUnder(point);
    m_bDragBegun = false;
  }
  // A click selects the line under it or the nearest one; unlike a table cell, a line
  // is never deselected by a click (Ctrl+click included) or by a click beside the lines.
  if (event->button() == Qt::LeftButton &&
      (!indexAt(point).isValid() || (event->modifiers() & Qt::ControlModifier))) {
    const int line = NearestLine(point);
    if (line >= 0) SetCurSel(line);
    event->accept();
    return;
  }
  QAbstractItemView::mousePressEvent(event);
}

void CClipListBox::contextMenuEvent(QContextMenuEvent* event) {
  // The menu key: the menu opens at the selected line, or at the top left.
  if (event->reason() != QContextMenuEvent::Mouse) {
    const QRect line = visualRect(currentIndex());
    OnRButtonDown(line.isValid() ? line.center() : QPoint(0, 0));
  }
  event->accept();
}

void CClipListBox::OnRButtonDown(const QPoint& point) {
  if (GetCount() > 0) SetCurSel(NearestLine(point));
  fw::CMDIChildWnd* child = m_pView->GetParentFrame();
  fw::CMDIFrameWnd* frame = child ? child->GetMDIFrame() : nullptr;
  if (!frame) return;
  std::unique_ptr<QMenu> menu(
      frame->GetCommandBars()->CreatePopup(res::IDR_CONTEXT_MENU, 0, nullptr));
  if (!menu) return;
  const bool selected = GetCurSel() >= 0;
  for (QAction* action : menu->actions()) {
    if (!action->isSeparator()) action->setEnabled(selected);
  }
  menu->exec(viewport()->mapToGlobal(point));
}

}  // namespace view
