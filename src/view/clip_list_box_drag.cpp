// Reordering by dragging a line: the control draws the insertion marker, sets the cursor
// and scrolls while the pointer is held above or below it; the move itself is the
// document's, which refills every view of the list.
#include <QApplication>
#include <QKeyEvent>
#include <QPainter>
#include <QScrollBar>
#include <QTimer>

#include "document/tolvane_doc.h"
#include "view/clip_list_box.h"
#include "view/tolvane_view.h"

namespace view {

int CClipListBox::LineUnder(const QPoint& point) const {
  if (!viewport()->rect().contains(point)) return -1;
  return rowAt(point.y());
}

void CClipListBox::BeginDrag(int line, const QPoint& point) {
  const doc::CTolvaneDoc* doc = m_pView->GetDocument();
  if (!doc || line >= doc->GetItemList().GetCount()) return;
  m_pDragSource = std::make_unique<doc::CClipList::TrackedPosition>(doc->GetItemList(), line);
  m_strDragText = doc->GetItemList().GetAt(line);
  m_bDragging = true;
  m_bDragBegun = true;
  QApplication::setOverrideCursor(Qt::DragMoveCursor);
  Dragging(point);
}

void CClipListBox::Dragging(const QPoint& point) {
  const int line = LineUnder(point);
  SetInsertionMarker(line);
  QApplication::changeOverrideCursor(line >= 0 ? Qt::DragMoveCursor : Qt::ForbiddenCursor);

  m_nScrollStep = point.y() < 0 ? -1 : point.y() >= viewport()->height() ? 1 : 0;
  if (m_nScrollStep == 0) {
    m_pScrollTimer->stop();
  } else if (!m_pScrollTimer->isActive()) {
    m_pScrollTimer->start();
  }
}

void CClipListBox::ScrollOneLine() {
  if (!m_bDragging || m_nScrollStep == 0) return;
  const int top = rowAt(0) + m_nScrollStep;
  if (top < 0 || top >= GetCount()) return;
  verticalScrollBar()->setValue(top);
}

void CClipListBox::CancelDrag() {
  EndDrag();
  // The button is still held: no new drag until the next press.
  m_nPressLine = -1;
}

void CClipListBox::EndDrag() {
  if (!m_bDragging) return;
  m_bDragging = false;
  m_nScrollStep = 0;
  m_pScrollTimer->stop();
  SetInsertionMarker(-1);
  QApplication::restoreOverrideCursor();
  m_pDragSource.reset();
}

int CClipListBox::DragSource() const {
  const doc::CTolvaneDoc* doc = m_pView->GetDocument();
  if (!doc || !m_pDragSource) return -1;
  const doc::CClipList& list = doc->GetItemList();
  const int position = m_pDragSource->Get();
  if (position >= 0 && position < list.GetCount() && list.GetAt(position) == m_strDragText) {
    return position;
  }
  // A capture of the dragged text took it out and put it back at the head.
  return list.Find(m_strDragText);
}

void CClipListBox::Dropped(int source, const QPoint& point) {
  SetInsertionMarker(-1);
  const int destination = LineUnder(viewport()->mapFromGlobal(point));
  doc::CTolvaneDoc* doc = m_pView->GetDocument();
  if (source < 0 || destination < 0 || !doc) return;
  doc->MoveItem(source, destination);
}

void CClipListBox::SetInsertionMarker(int line) {
  if (line == m_nMarkerLine) return;
  m_nMarkerLine = line;
  viewport()->update();
}

void CClipListBox::paintEvent(QPaintEvent* event) {
  QPainter painter(viewport());
  PaintLines(painter, event->rect());
  if (m_nMarkerLine < 0 || m_nMarkerLine >= GetCount()) return;
  // A bar across the list along the top edge of the line the item would go above.
  const QRect line = visualRect(model()->index(m_nMarkerLine, 0));
  painter.fillRect(QRect(0, line.top(), viewport()->width(), 2),
                   palette().color(QPalette::Text));
}

void CClipListBox::mouseMoveEvent(QMouseEvent* event) {
  const QPoint point = event->position().toPoint();
  const bool held = event->buttons() & Qt::LeftButton;
  if (m_bDragging) {
    // A release that went elsewhere (a window took the pointer) ends the drag unmoved.
    held ? Dragging(point) : CancelDrag();
    event->accept();
    return;
  }
  if (m_nPressLine >= 0 && held) {
    // A line held with the button is dragged, never swept over.
    if ((point - m_ptPress).manhattanLength() >= QApplication::startDragDistance()) {
      BeginDrag(m_nPressLine, point);
    }
    event->accept();
    return;
  }
  QAbstractItemView::mouseMoveEvent(event);
}

void CClipListBox::mouseReleaseEvent(QMouseEvent* event) {
  if (event->button() == Qt::LeftButton) m_nPressLine = -1;
  if (event->button() != Qt::LeftButton || !m_bDragBegun) {
    QAbstractItemView::mouseReleaseEvent(event);
    return;
  }
  m_bDragBegun = false;
  if (m_bDragging) {
    const int source = DragSource();
    EndDrag();
    Dropped(source, event->globalPosition().toPoint());
  }
  // Not Qt's own release: it would select the line under the pointer, and the selection
  // after a drag is the moved item's, or the source line's when nothing moved.
  setState(NoState);
  event->accept();
}

void CClipListBox::keyPressEvent(QKeyEvent* event) {
  if (m_bDragging) {
    if (event->key() == Qt::Key_Escape) CancelDrag();
    event->accept();
    return;
  }
  // Ctrl+Space keeps the current line selected: a table would deselect it, then search
  // for the key's text and go to the next line.
  if (event->key() == Qt::Key_Space && (event->modifiers() & Qt::ControlModifier)) {
    if (currentIndex().isValid()) SetCurSel(currentIndex().row());
    event->accept();
    return;
  }
  QAbstractItemView::keyPressEvent(event);
}

bool CClipListBox::event(QEvent* event) {
  // During a drag every key is the drag's: Esc cancels it, and no command runs.
  if (m_bDragging && event->type() == QEvent::ShortcutOverride) {
    event->accept();
    return true;
  }
  return QAbstractItemView::event(event);
}

}  // namespace view
