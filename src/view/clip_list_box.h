#pragma once

#include <QAbstractItemView>
#include <QPoint>
#include <memory>
#include <string>

#include "document/clip_list.h"

class QPainter;
class QTimer;

namespace view {

class CTolvaneView;

// The list control that fills a list view: one line per item, single selection.
// Every line has the same height and the width of the widest line, so where a line is
// drawn follows from its number: the control keeps nothing per line, and a change of the
// number of lines costs the same at 10 or at 1,000,000 (a table or a list view of Qt
// keeps and walks a record per row). The vertical scroll bar counts lines, the
// horizontal one pixels. It behaves as a single-selection list box: the selection spans
// the row, no click clears it, Home and End go to the first and the last line. A line
// dragged to another place is moved by the document, so that every view of the list
// shows the new order.
class CClipListBox : public QAbstractItemView {
  Q_OBJECT

 public:
  explicit CClipListBox(CTolvaneView* view);
  ~CClipListBox() override;

  // The selected line, or -1.
  int GetCurSel() const;
  void SetCurSel(int line);
  int GetCount() const;
  // Line height and the horizontal extent (the width every line is given).
  void SetLineMetrics(int height, int extent);
  // Shows a refill that changed few lines, before the selection is set: the lines above
  // `movedFrom` (-1: none) move one down on the screen as they are, and only the lines
  // whose look changed are drawn again: the head, the selection and focus where they stayed
  // while their lines moved (unless `selectionMoved` with them, as with an added line), and
  // the marker where it was drawn and where it is now.
  void ShowMovedLines(int movedFrom, bool selectionMoved = false);
  // The line at `point` (viewport coordinates), or the nearest one; -1 in an empty list.
  int NearestLine(const QPoint& point) const;
  // The line under `point` (viewport coordinates); -1 beside the list or below the last line.
  int LineUnder(const QPoint& point) const;
  // The line at height `y` of the viewport, or -1 above or below the lines.
  int rowAt(int y) const;
  int rowHeight(int /*row*/) const { return m_nLineHeight; }
  int columnWidth(int /*column*/) const { return m_nColumnWidth; }

  QRect visualRect(const QModelIndex& index) const override;
  void scrollTo(const QModelIndex& index, ScrollHint hint = EnsureVisible) override;
  QModelIndex indexAt(const QPoint& point) const override;
  void reset() override;

  // The end of a drag: the item of line `source` moves, in the document, to stand just
  // above the line under `point` (global coordinates); nothing happens off the lines.
  void Dropped(int source, const QPoint& point);
  bool IsDragging() const { return m_bDragging; }
  // The line above which the insertion marker is drawn, or -1.
  int InsertionMarker() const { return m_nMarkerLine; }

 protected:
  void focusInEvent(QFocusEvent* event) override;
  void mouseDoubleClickEvent(QMouseEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;
  bool event(QEvent* event) override;
  void paintEvent(QPaintEvent* event) override;
  void contextMenuEvent(QContextMenuEvent* event) override;
  void focusOutEvent(QFocusEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;
  QModelIndex moveCursor(CursorAction action, Qt::KeyboardModifiers modifiers) override;
  int horizontalOffset() const override;
  int verticalOffset() const override;
  bool isIndexHidden(const QModelIndex& index) const override;
  void setSelection(const QRect& rect, QItemSelectionModel::SelectionFlags command) override;
  QRegion visualRegionForSelection(const QItemSelection& selection) const override;
  void updateGeometries() override;
  void scrollContentsBy(int dx, int dy) override;
  void rowsInserted(const QModelIndex& parent, int first, int last) override;
  void dataChanged(const QModelIndex& topLeft, const QModelIndex& bottomRight,
                   const QList<int>& roles = QList<int>()) override;
  void doItemsLayout() override;
  // A screen reader follows the current and the selected line (clip_list_box_accessible.cpp).
  void currentChanged(const QModelIndex& current, const QModelIndex& previous) override;
  void selectionChanged(const QItemSelection& selected, const QItemSelection& deselected) override;
  void rowsAboutToBeRemoved(const QModelIndex& parent, int first, int last) override;

 private:
  // The right button: selects the nearest line and opens the context menu there.
  void OnRButtonDown(const QPoint& point);
  // The lines are as wide as the widest line, and at least as wide as the list, so that
  // a selected line is highlighted across the whole row.
  void FitColumn();
  // The first line shown, and how many lines the viewport shows whole (at least one).
  int TopLine() const;
  int LinesInView() const;
  QModelIndex Line(int line) const;
  // Draws the lines that meet `area` (viewport coordinates) through the item delegate.
  void PaintLines(QPainter& painter, const QRect& area);
  // The viewport's strip of lines `first` to `last`.
  QRect LinesRect(int first, int last) const;

  // Dragging (clip_list_box_drag.cpp).
  void BeginDrag(int line, const QPoint& point);
  void Dragging(const QPoint& point);
  void CancelDrag();
  // Ends a drag either way: marker, scrolling and cursor go.
  void EndDrag();
  void SetInsertionMarker(int line);
  void ScrollOneLine();
  // Where the dragged item stands now: captures may have moved it during the drag.
  int DragSource() const;

  CTolvaneView* m_pView;
  int m_nExtent = 0;
  int m_nLineHeight = 16;
  int m_nColumnWidth = 0;
  // The lines drawn are moved rather than drawn again: a layout lays out without drawing.
  bool m_bKeepDrawnLines = false;

  QPoint m_ptPress;             // the last left press, viewport coordinates
  int m_nPressLine = -1;        // the line that press was on while the button is held
  bool m_bDragging = false;
  bool m_bDragBegun = false;    // the held button began a drag, finished or cancelled
  int m_nMarkerLine = -1;
  int m_nScrollStep = 0;        // -1 or 1 while the pointer is held above or below the list
  QTimer* m_pScrollTimer;
  std::unique_ptr<doc::CClipList::TrackedPosition> m_pDragSource;
  std::string m_strDragText;
};

}  // namespace view
