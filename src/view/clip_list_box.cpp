#include "view/clip_list_box.h"

#include <QAction>
#include <QHeaderView>
#include <QContextMenuEvent>
#include <QMenu>
#include <QMouseEvent>
#include <memory>

#include "framework/command_bars.h"
#include "framework/mdi_child_wnd.h"
#include "framework/mdi_frame_wnd.h"

#include "resources/command_ids.h"
#include "view/tolvane_view.h"

namespace view {

CClipListBox::CClipListBox(CTolvaneView* view) : QTableView(view), m_pView(view) {
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
  setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
  setHorizontalScrollMode(QAbstractItemView::ScrollPerPixel);
  setTextElideMode(Qt::ElideNone);
  setWordWrap(false);
}

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
  if (model() && model()->columnCount() > 0 && columnWidth(0) != extent) setColumnWidth(0, extent);
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
  if (event->button() == Qt::RightButton) {
    OnRButtonDown(event->position().toPoint());
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
  const int count = GetCount();
  if (count > 0) {
    // The nearest line: below the last one, the last one.
    const QModelIndex index = indexAt(QPoint(0, point.y()));
    SetCurSel(index.isValid() ? index.row() : (point.y() < 0 ? 0 : count - 1));
  }
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
