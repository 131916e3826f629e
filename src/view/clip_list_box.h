#pragma once

#include <QListView>

namespace view {

class CTolvaneView;

// The list control that fills a list view: one line per item, single selection.
class CClipListBox : public QListView {
  Q_OBJECT

 public:
  explicit CClipListBox(CTolvaneView* view);

  // The selected line, or -1.
  int GetCurSel() const;
  void SetCurSel(int line);
  int GetCount() const;

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
