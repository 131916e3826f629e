#include "view/clip_list_box.h"

#include <QAction>
#include <QHeaderView>
#include <QContextMenuEvent>
#include <QMenu>
#include <QMouseEvent>
#include <QResizeEvent>
#include <QTimer>
#include <algorithm>
#include <memory>
#include <vector>

#include "framework/command_bars.h"
#include "framework/mdi_child_wnd.h"
#include "framework/mdi_frame_wnd.h"

#include "resources/command_ids.h"
#include "view/clip_line_delegate.h"
#include "view/clip_list_model.h"
#include "view/tolvane_view.h"

namespace view {
namespace {

// While the pointer is held above or below the list during a drag, one line per tick.
constexpr int kDragScrollIntervalMs = 100;

}  // namespace

CClipListBox::CClipListBox(CTolvaneView* view)
    : QTableView(view), m_pView(view), m_pScrollTimer(new QTimer(this)) {
  setObjectName(QStringLiteral("ClipList130"));
  setFrameShape(QFrame::NoFrame);
  setSelectionMode(QAbstractItemView::SingleSelection);
  setSelectionBehavior(QAbstractItemView::SelectRows);
  setEditTriggers(QAbstractItemView::NoEditTriggers);
  setShowGrid(false);
  setTabKeyNavigation(false);
  setCornerButtonEnabled(false);
  horizontalHeader()->hide();
  verticalHeader()->hide();
  horizontalHeader()->setSectionResizeMode(QHeaderView::Fixed);
  verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
  verticalHeader()->setMinimumSectionSize(1);
  setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
  setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
  setHorizontalScrollMode(QAbstractItemView::ScrollPerPixel);
  setTextElideMode(Qt::ElideNone);
  setWordWrap(false);
  setItemDelegate(new ClipLineDelegate(this));
  m_pScrollTimer->setInterval(kDragScrollIntervalMs);
  connect(m_pScrollTimer, &QTimer::timeout, this, &CClipListBox::ScrollOneLine);
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
  if (verticalHeader()->defaultSectionSize() != height) {
    verticalHeader()->setDefaultSectionSize(height);
  }
  m_nExtent = extent;
  FitColumn();
}

void CClipListBox::ShowMovedLines(int movedFrom, bool selectionMoved) {
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
  const int y = rowViewportPosition(first);
  return {0, y, viewport()->width(), rowViewportPosition(last) + rowHeight(last) - y};
}

void CClipListBox::doItemsLayout() {
  if (m_bKeepDrawnLines) {
    updateGeometries();
    return;
  }
  QTableView::doItemsLayout();
}

void CClipListBox::FitColumn() {
  const int width = std::max(m_nExtent, viewport()->width());
  if (model() && model()->columnCount() > 0 && columnWidth(0) != width) setColumnWidth(0, width);
}

void CClipListBox::resizeEvent(QResizeEvent* event) {
  QTableView::resizeEvent(event);
  FitColumn();
}

int CClipListBox::NearestLine(const QPoint& point) const {
  const int count = GetCount();
  if (count == 0) return -1;
  const int row = rowAt(point.y());
  if (row >= 0) return row;
  return point.y() < 0 ? 0 : count - 1;
}

QModelIndex CClipListBox::moveCursor(CursorAction action, Qt::KeyboardModifiers modifiers) {
  const int count = GetCount();
  if (count > 0 && (action == MoveHome || action == MoveEnd)) {
    return model()->index(action == MoveHome ? 0 : count - 1, 0);
  }
  return QTableView::moveCursor(action, modifiers);
}

// The selection shows in the inactive colours once another window has the focus.
void CClipListBox::focusOutEvent(QFocusEvent* event) {
  // A window that takes the focus (a message box) takes the pointer with it.
  if (m_bDragging) CancelDrag();
  QTableView::focusOutEvent(event);
  viewport()->update();
}

void CClipListBox::focusInEvent(QFocusEvent* event) {
  QTableView::focusInEvent(event);
  m_pView->OnListFocus();
}

void CClipListBox::mouseDoubleClickEvent(QMouseEvent* event) {
  QTableView::mouseDoubleClickEvent(event);
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
  QTableView::mousePressEvent(event);
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
