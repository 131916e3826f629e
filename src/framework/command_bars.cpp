#include "framework/command_bars.h"

#include <QAction>
#include <QApplication>
#include <QKeyEvent>
#include <QMenu>
#include <QMenuBar>
#include <QPixmap>
#include <QToolBar>

#include "framework/help.h"
#include "framework/mdi_child_wnd.h"
#include "framework/mdi_frame_wnd.h"
#include "framework/resource_tables.h"

namespace fw {
namespace {

const char kCommandProperty[] = "tolvaneCommand";
// The command of a list entry (a recent file): for its help topic only, since the entry
// is not the command's one action.
const char kListCommandProperty[] = "tolvaneListCommand";

QString Utf8(std::string_view text) {
  return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

void ApplyState(QAction* action, const CCmdUI& ui) {
  action->setEnabled(ui.IsEnabled());
  action->setCheckable(ui.IsChecked());
  action->setChecked(ui.IsChecked());
  if (ui.Text()) action->setText(*ui.Text());
}

}  // namespace

unsigned CommandIdOf(const QAction* action) {
  return action ? action->property(kCommandProperty).toUInt() : 0;
}

CommandBars::CommandBars(CMDIFrameWnd* frame) : QObject(frame), m_pFrame(frame) {}

void CommandBars::AddListProvider(unsigned anchorId, ListPlacement placement,
                                  ListProvider provider) {
  m_providers.push_back({anchorId, placement, std::move(provider)});
}

QAction* CommandBars::Action(unsigned id) {
  auto it = m_actions.find(id);
  if (it != m_actions.end()) return it->second;
  auto* action = new QAction(this);
  action->setProperty(kCommandProperty, id);
  const UiTables& tables = GetUiTables();
  if (tables.prompt) action->setStatusTip(Utf8(tables.prompt(id)));
  if (tables.whatsThis) action->setWhatsThis(Utf8(tables.whatsThis(id)));
  // Button images belong to the tool bar; menu items show none.
  action->setIconVisibleInMenu(false);
  connect(action, &QAction::triggered, m_pFrame, [this, id] { m_pFrame->RunCommand(id); });
  m_actions.emplace(id, action);
  return action;
}

void CommandBars::SetMenu(unsigned menuId) {
  if (menuId == m_nMenuId) return;
  m_nMenuId = menuId;
  QMenuBar* bar = m_pFrame->menuBar();
  bar->clear();
  for (QMenu* popup : m_popups) popup->deleteLater();
  m_popups.clear();
  m_listActions.clear();
  m_grayed.clear();

  const UiTables& tables = GetUiTables();
  if (!tables.menu) return;
  for (const MenuPopup& popupData : tables.menu(menuId)) {
    auto* popup = new QMenu(Utf8(popupData.title), bar);
    for (const MenuItem& item : popupData.items) {
      if (item.id == 0) {
        popup->addSeparator();
        continue;
      }
      // The two menus may word an item differently: the one shown sets the text.
      QAction* action = Action(item.id);
      action->setText(Utf8(item.text));
      if (item.grayed) m_grayed.insert(item.id);
      popup->addAction(action);
    }
    connect(popup, &QMenu::aboutToShow, this, [this, popup] { UpdateMenu(popup); });
    popup->installEventFilter(this);
    bar->addMenu(popup);
    m_popups.push_back(popup);
  }
}

void CommandBars::UpdateAction(QAction* action) { UpdateAction(action, CommandIdOf(action)); }

void CommandBars::UpdateAction(QAction* action, unsigned id) {
  if (m_grayed.count(id)) {
    action->setEnabled(false);
    return;
  }
  CCmdUI ui(id);
  m_pFrame->RouteCommand(id, &ui);
  ApplyState(action, ui);
}

void CommandBars::UpdateMenu(QMenu* menu) {
  std::vector<const Provider*> lists;
  for (QAction* action : menu->actions()) {
    const unsigned id = CommandIdOf(action);
    if (id == 0) continue;
    UpdateAction(action);
    for (const Provider& provider : m_providers) {
      if (provider.anchorId == id) lists.push_back(&provider);
    }
  }
  for (const Provider* provider : lists) FillList(menu, *provider);
}

void CommandBars::FillList(QMenu* menu, const Provider& provider) {
  std::vector<QAction*>& old = m_listActions[menu];
  for (QAction* action : old) {
    menu->removeAction(action);
    action->deleteLater();
  }
  old.clear();
  const std::vector<MenuListEntry> entries = provider.entries();
  const UiTables& tables = GetUiTables();
  QAction* anchor = Action(provider.anchorId);
  if (provider.placement == ListPlacement::ReplaceAnchor) anchor->setVisible(entries.empty());
  if (entries.empty()) return;

  QAction* before = nullptr;  // null: at the end
  if (provider.placement == ListPlacement::ReplaceAnchor) {
    before = anchor;
  } else {
    old.push_back(menu->addSeparator());
  }
  for (const MenuListEntry& entry : entries) {
    auto* action = new QAction(entry.text, menu);
    action->setCheckable(entry.checked);
    action->setChecked(entry.checked);
    const unsigned id = entry.id;
    std::function<void()> run = entry.run;
    connect(action, &QAction::triggered, m_pFrame, [this, id, run] {
      if (id != 0) {
        m_pFrame->RunCommand(id);
      } else if (run) {
        run();
      }
    });
    if (id != 0 && tables.whatsThis) action->setWhatsThis(Utf8(tables.whatsThis(id)));
    if (id != 0 && tables.prompt) action->setStatusTip(Utf8(tables.prompt(id)));
    if (id != 0) action->setProperty(kListCommandProperty, id);
    menu->insertAction(before, action);
    old.push_back(action);
  }
}

// F1 on a highlighted menu item: the menus close and the item's topic opens.
bool CommandBars::eventFilter(QObject* watched, QEvent* event) {
  auto* menu = qobject_cast<QMenu*>(watched);
  if (!menu || event->type() != QEvent::KeyPress ||
      static_cast<QKeyEvent*>(event)->key() != Qt::Key_F1) {
    return QObject::eventFilter(watched, event);
  }
  const QAction* active = menu->activeAction();
  unsigned id = CommandIdOf(active);
  if (id == 0 && active) id = active->property(kListCommandProperty).toUInt();
  if (id == 0) return QObject::eventFilter(watched, event);
  for (int i = 0; i < 8 && QApplication::activePopupWidget(); ++i) {
    QApplication::activePopupWidget()->close();
  }
  WinHelp(HID_BASE_COMMAND + id);
  return true;
}

void CommandBars::InstallAccelerators() {
  const UiTables& tables = GetUiTables();
  std::map<unsigned, QList<QKeySequence>> keysById;
  if (tables.accelerators) {
    for (const Accelerator& accel : tables.accelerators()) {
      keysById[accel.id].append(QKeySequence(Utf8(accel.keys)));
    }
  }
  for (auto& [id, keys] : keysById) {
    QAction* action = Action(id);
    action->setShortcuts(keys);
    action->setShortcutContext(Qt::WindowShortcut);
    m_pFrame->addAction(action);
  }
  // The window system's keys for document windows.
  auto* close = new QAction(m_pFrame);
  close->setShortcut(QKeySequence(QStringLiteral("Ctrl+F4")));
  connect(close, &QAction::triggered, m_pFrame, [this] {
    if (CMDIChildWnd* child = m_pFrame->MDIGetActive()) child->CloseFrame();
  });
  m_pFrame->addAction(close);
  auto* next = new QAction(m_pFrame);
  next->setShortcut(QKeySequence(QStringLiteral("Ctrl+F6")));
  connect(next, &QAction::triggered, m_pFrame, [this] { m_pFrame->MDINext(); });
  m_pFrame->addAction(next);
}

void CommandBars::FillToolBar(QToolBar* toolBar) {
  const UiTables& tables = GetUiTables();
  if (!tables.toolBarLayout || !tables.toolBarXpm) return;
  const QPixmap strip(tables.toolBarXpm());
  const int width = tables.buttonWidth;
  const int height = tables.buttonHeight;
  int image = 0;
  for (unsigned id : tables.toolBarLayout()) {
    if (id == 0) {
      toolBar->addSeparator();
      continue;
    }
    QAction* action = Action(id);
    action->setIcon(QIcon(strip.copy(image * width, 0, width, height)));
    const QString tip = tables.toolTip ? Utf8(tables.toolTip(id)) : QString();
    if (action->text().isEmpty()) action->setText(tip);
    action->setToolTip(tip);
    toolBar->addAction(action);
    m_buttons[id] = action;
    ++image;
  }
}

void CommandBars::UpdateButtons() {
  for (auto& [id, action] : m_actions) {
    // The id is the map's: reading it back from the action's properties costs more than
    // the update, which runs after every change (each copy).
    if (m_buttons.count(id) || !action->shortcut().isEmpty()) UpdateAction(action, id);
  }
}

QMenu* CommandBars::CreatePopup(unsigned menuId, int popupIndex, QWidget* parent) {
  const UiTables& tables = GetUiTables();
  if (!tables.menu) return nullptr;
  const auto popups = tables.menu(menuId);
  if (popupIndex < 0 || popupIndex >= static_cast<int>(popups.size())) return nullptr;
  auto* menu = new QMenu(parent);
  menu->installEventFilter(this);
  for (const MenuItem& item : popups[popupIndex].items) {
    if (item.id == 0) {
      menu->addSeparator();
      continue;
    }
    QAction* action = Action(item.id);
    action->setText(Utf8(item.text));
    menu->addAction(action);
  }
  return menu;
}

QAction* CommandBars::FindMenuAction(unsigned id) const {
  for (QMenu* popup : m_popups) {
    for (QAction* action : popup->actions()) {
      if (CommandIdOf(action) == id) return action;
    }
  }
  return nullptr;
}

QAction* CommandBars::FindButton(unsigned id) const {
  auto it = m_buttons.find(id);
  return it == m_buttons.end() ? nullptr : it->second;
}

}  // namespace fw
