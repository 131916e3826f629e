#pragma once

#include <QTableView>

namespace view {

class CTolvaneView;

// The list control that fills a list view: one line per item, single selection.
// A one-column table without headers or grid: its rows share one height and need no
// layout pass over all items, which keeps a refill of 32,767 lines cheap.
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

 protected:
  void focusInEvent(QFocusEvent* event) override;
  void mouseDoubleClickEvent(QMouseEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void contextMenuEvent(QContextMenuEvent* event) override;

 private:
  // The right button: selects the nearest line and opens the context menu there.
  void OnRButtonDown(const QPoint& point);

  CTolvaneView* m_pView;
};

}  // namespace view
