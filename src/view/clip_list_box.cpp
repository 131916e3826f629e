#include "view/clip_list_box.h"

#include <QMouseEvent>

#include "resources/command_ids.h"
#include "view/tolvane_view.h"

namespace view {

CClipListBox::CClipListBox(CTolvaneView* view) : QListView(view), m_pView(view) {
  setObjectName(QStringLiteral("ClipList130"));
  setFrameShape(QFrame::NoFrame);
  setSelectionMode(QAbstractItemView::SingleSelection);
  setEditTriggers(QAbstractItemView::NoEditTriggers);
  setUniformItemSizes(true);
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

void CClipListBox::focusInEvent(QFocusEvent* event) {
  QListView::focusInEvent(event);
  m_pView->OnListFocus();
}

void CClipListBox::mouseDoubleClickEvent(QMouseEvent* event) {
  QListView::mouseDoubleClickEvent(event);
  if (event->button() == Qt::LeftButton && indexAt(event->position().toPoint()).isValid()) {
    m_pView->OnDblclkClipList();
  }
}

}  // namespace view
