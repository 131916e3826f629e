// The list box as a screen reader sees it: a list whose children are its lines. A line's
// interface is made when it is first asked for, since the list may hold a million lines,
// and is numbered by the line, so the ones made are dropped when lines come or go.
#include "view/clip_list_box_accessible.h"

#include <QAccessible>
#include <QAccessibleWidget>
#include <QPointer>
#include <unordered_map>

#include "view/clip_list_box.h"

namespace view {
namespace {

bool HasFocus(const CClipListBox* box) { return box->hasFocus() || box->viewport()->hasFocus(); }

class LineAccessible : public QAccessibleInterface {
 public:
  LineAccessible(CClipListBox* box, int line) : m_pBox(box), m_nLine(line) {}

  int Line() const { return m_nLine; }
  bool isValid() const override {
    return m_pBox && m_pBox->model() && m_nLine < m_pBox->GetCount();
  }
  QObject* object() const override { return nullptr; }
  QWindow* window() const override { return m_pBox ? m_pBox->window()->windowHandle() : nullptr; }
  QAccessibleInterface* parent() const override {
    return m_pBox ? QAccessible::queryAccessibleInterface(m_pBox.data()) : nullptr;
  }
  QAccessibleInterface* child(int /*index*/) const override { return nullptr; }
  int childCount() const override { return 0; }
  int indexOfChild(const QAccessibleInterface* /*child*/) const override { return -1; }
  QAccessibleInterface* childAt(int /*x*/, int /*y*/) const override { return nullptr; }
  void setText(QAccessible::Text /*t*/, const QString& /*text*/) override {}
  QAccessible::Role role() const override { return QAccessible::ListItem; }

  // The line as drawn.
  QString text(QAccessible::Text t) const override {
    if (t != QAccessible::Name || !isValid()) return {};
    return Index().data(Qt::DisplayRole).toString();
  }
  // In screen coordinates, as every accessible rectangle.
  QRect rect() const override {
    if (!isValid()) return {};
    const QRect line = m_pBox->visualRect(Index());
    return {m_pBox->viewport()->mapToGlobal(line.topLeft()), line.size()};
  }
  QAccessible::State state() const override {
    QAccessible::State state;
    if (!isValid()) {
      state.invalid = true;
      return state;
    }
    const QModelIndex index = Index();
    state.selectable = true;
    state.focusable = true;
    state.selected = m_pBox->selectionModel() && m_pBox->selectionModel()->isSelected(index);
    state.focused = HasFocus(m_pBox) && m_pBox->currentIndex() == index;
    if (!m_pBox->viewport()->rect().intersects(m_pBox->visualRect(index))) {
      state.invisible = true;
      state.offscreen = true;
    }
    return state;
  }

 private:
  QModelIndex Index() const { return m_pBox->model()->index(m_nLine, 0); }

  QPointer<CClipListBox> m_pBox;
  int m_nLine;
};

class ListBoxAccessible;

// The interface of each list box that has one, to drop its lines' interfaces.
std::unordered_map<const CClipListBox*, ListBoxAccessible*>& Interfaces() {
  static std::unordered_map<const CClipListBox*, ListBoxAccessible*> interfaces;
  return interfaces;
}

// The scroll bars are left out: the children are the lines, as in Qt's own item views.
class ListBoxAccessible : public QAccessibleWidget {
 public:
  explicit ListBoxAccessible(CClipListBox* box)
      : QAccessibleWidget(box, QAccessible::List), m_pBox(box) {
    Interfaces()[box] = this;
  }
  // The box is being destroyed, or accessibility is switched off.
  ~ListBoxAccessible() override {
    Interfaces().erase(m_pBox);
    Forget();
  }

  void Forget() {
    for (const auto& [line, id] : m_lines) QAccessible::deleteAccessibleInterface(id);
    m_lines.clear();
  }

  int childCount() const override { return m_pBox->GetCount(); }
  QAccessibleInterface* child(int index) const override {
    if (index < 0 || index >= childCount()) return nullptr;
    if (const auto found = m_lines.find(index); found != m_lines.end()) {
      return QAccessible::accessibleInterface(found->second);
    }
    auto* line = new LineAccessible(m_pBox, index);
    m_lines.emplace(index, QAccessible::registerAccessibleInterface(line));
    return line;
  }
  int indexOfChild(const QAccessibleInterface* child) const override {
    const auto* line = dynamic_cast<const LineAccessible*>(child);
    return line && line->isValid() && child->parent() == this ? line->Line() : -1;
  }
  QAccessibleInterface* childAt(int x, int y) const override {
    const QModelIndex index = m_pBox->indexAt(m_pBox->viewport()->mapFromGlobal(QPoint(x, y)));
    return index.isValid() ? child(index.row()) : nullptr;
  }
  QAccessibleInterface* focusChild() const override {
    const QModelIndex current = m_pBox->currentIndex();
    return HasFocus(m_pBox) && current.isValid() ? child(current.row()) : nullptr;
  }

 private:
  CClipListBox* m_pBox;  // a plain pointer: still the key while the box is destroyed
  mutable std::unordered_map<int, QAccessible::Id> m_lines;
};

QAccessibleInterface* CreateInterface(const QString& /*className*/, QObject* object) {
  auto* box = qobject_cast<CClipListBox*>(object);
  return box ? new ListBoxAccessible(box) : nullptr;
}

// Tells a screen reader about `line` of `box`.
void Notify(CClipListBox* box, QAccessible::Event type, int line) {
  if (line < 0 || !QAccessible::isActive()) return;
  QAccessibleEvent event(box, type);
  event.setChild(line);
  QAccessible::updateAccessibility(&event);
}

}  // namespace

void InstallClipListBoxAccessibility() {
  static const bool installed = (QAccessible::installFactory(&CreateInterface), true);
  (void)installed;
}

void ForgetClipListBoxLines(const CClipListBox* box) {
  const auto found = Interfaces().find(box);
  if (found != Interfaces().end()) found->second->Forget();
}

void AnnounceClipListBoxFocus(CClipListBox* box) {
  Notify(box, QAccessible::Focus, box->currentIndex().row());
}

void CClipListBox::currentChanged(const QModelIndex& current, const QModelIndex& previous) {
  QAbstractItemView::currentChanged(current, previous);
  if (current.isValid() && HasFocus(this)) Notify(this, QAccessible::Focus, current.row());
}

void CClipListBox::selectionChanged(const QItemSelection& selected,
                                    const QItemSelection& deselected) {
  QAbstractItemView::selectionChanged(selected, deselected);
  if (!selected.isEmpty()) {
    Notify(this, QAccessible::Selection, selected.first().top());
  } else if (!deselected.isEmpty()) {
    Notify(this, QAccessible::SelectionRemove, deselected.first().top());
  }
}

void CClipListBox::rowsAboutToBeRemoved(const QModelIndex& parent, int first, int last) {
  QAbstractItemView::rowsAboutToBeRemoved(parent, first, last);
  ForgetClipListBoxLines(this);
}

}  // namespace view
