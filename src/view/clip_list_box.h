#pragma once

#include <QTableView>

namespace view {

class CTolvaneView;

// The list control that fills a list view: one line per item, single selection.
// A one-column table without headers or grid: its rows share one height and need no
// layout pass over all items, which keeps a refill of 32,767 lines cheap. It behaves as
// a single-selection list box: the selection spans the row, no click clears it, Home
// and End go to the first and the last line.
class CClipListBox : public QTableView {
  Q_OBJECT

 public:
  explicit CClipListBox(CTolvaneView* view);

  // The selected line, or -1.
  int GetCurSel() const;
  void SetCurSel(int line);
  int GetCount() const;
  // Line height and the horizontal extent (the width every line is given).
  void SetLineMetrics(int height, int extent);
  // The line at `point` (viewport coordinates), or the nearest one; -1 in an empty list.
  int NearestLine(const QPoint& point) const;

 protected:
  void focusInEvent(QFocusEvent* event) override;
  void mouseDoubleClickEvent(QMouseEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void contextMenuEvent(QContextMenuEvent* event) override;
  void focusOutEvent(QFocusEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;
  QModelIndex moveCursor(CursorAction action, Qt::KeyboardModifiers modifiers) override;

 private:
  // The right button: selects the nearest line and opens the context menu there.
  void OnRButtonDown(const QPoint& point);
  // The column is as wide as the widest line, and at least as wide as the list, so that
  // a selected line is highlighted across the whole row.
  void FitColumn();

  CTolvaneView* m_pView;
  int m_nExtent = 0;
};

}  // namespace view
