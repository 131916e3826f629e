#pragma once

#include <QObject>
#include <QString>
#include <functional>
#include <map>
#include <set>
#include <vector>

class QAction;
class QMenu;
class QToolBar;

namespace fw {

class CMDIFrameWnd;

// One entry of a list that a provider puts into a menu (the open windows, the recent
// files). It runs `id` through the router when it is not 0, else `run`.
struct MenuListEntry {
  QString text;
  bool checked = false;
  unsigned id = 0;
  std::function<void()> run;
};

// Menus, accelerators and tool-bar buttons of the main window, built from the program's
// tables. Each command has one action, shared by its menu items, its button, the context
// menu and its keys; every one of them runs the command through the frame's router, which
// asks the update handlers first. Menus ask them as they open, buttons and keys when the
// program idles.
class CommandBars : public QObject {
  Q_OBJECT

 public:
  explicit CommandBars(CMDIFrameWnd* frame);

  // Where a provider's list goes: at the end of the popup that holds the anchor command,
  // or in place of the anchor item itself (which shows while the list is empty).
  enum class ListPlacement { AtPopupEnd, ReplaceAnchor };
  using ListProvider = std::function<std::vector<MenuListEntry>()>;
  void AddListProvider(unsigned anchorId, ListPlacement placement, ListProvider provider);

  // The one action of a command, made on first use.
  QAction* Action(unsigned id);

  // Puts the menu resource `menuId` into the menu bar (nothing when it is already there).
  void SetMenu(unsigned menuId);
  unsigned CurrentMenu() const { return m_nMenuId; }
  // The accelerator table's keys on the commands' actions, and the window keys Ctrl+F4
  // and Ctrl+F6.
  void InstallAccelerators();
  // Fills `toolBar` with the buttons of the tool-bar table.
  void FillToolBar(QToolBar* toolBar);
  // Brings the buttons and the actions that have keys up to date.
  void UpdateButtons();

  // Builds the popup of a menu resource (the context menu) from the commands' actions.
  QMenu* CreatePopup(unsigned menuId, int popupIndex, QWidget* parent);
  // The action of a command in the current menu bar; null when the menu has no such item.
  QAction* FindMenuAction(unsigned id) const;
  QAction* FindButton(unsigned id) const;
  const std::vector<QMenu*>& Popups() const { return m_popups; }

  // Asks the update chain for the state of every item of `menu`, and fills its lists.
  void UpdateMenu(QMenu* menu);

 private:
  struct Provider {
    unsigned anchorId;
    ListPlacement placement;
    ListProvider entries;
  };

  bool eventFilter(QObject* watched, QEvent* event) override;
  void UpdateAction(QAction* action);
  void UpdateAction(QAction* action, unsigned id);
  void FillList(QMenu* menu, const Provider& provider);

  CMDIFrameWnd* m_pFrame;
  unsigned m_nMenuId = 0;
  std::map<unsigned, QAction*> m_actions;
  std::set<unsigned> m_grayed;  // items the current menu shows grayed, whatever the state
  std::vector<QMenu*> m_popups;
  std::vector<Provider> m_providers;
  std::map<QMenu*, std::vector<QAction*>> m_listActions;
  std::map<unsigned, QAction*> m_buttons;
};

// The command id an action runs (0 for none).
unsigned CommandIdOf(const QAction* action);

}  // namespace fw
