#pragma once

#include <QObject>
#include <map>
#include <vector>

class QAction;
class QMenu;
class QToolBar;

namespace fw {

class CMDIFrameWnd;

// Menus, accelerators and tool-bar buttons of the main window, built from the resource
// tables. Every one of them runs its command through the frame's router, which asks the
// update handlers first; menus ask them as they open, buttons when the program idles.
class CommandBars : public QObject {
  Q_OBJECT

 public:
  explicit CommandBars(CMDIFrameWnd* frame);

  // Puts the menu resource `menuId` into the menu bar (nothing when it is already there).
  void SetMenu(unsigned menuId);
  unsigned CurrentMenu() const { return m_nMenuId; }
  // The accelerator table and the window keys Ctrl+F4 and Ctrl+F6.
  void InstallAccelerators();
  // Fills `toolBar` with the buttons of the tool-bar resource.
  void FillToolBar(QToolBar* toolBar);
  void UpdateButtons();

  // Builds the popup of a menu resource (the context menu) with its items' states.
  QMenu* CreatePopup(unsigned menuId, int popupIndex, QWidget* parent);
  // Menu-bar actions of a command, for tests and the window list.
  QAction* FindMenuAction(unsigned id) const;
  QAction* FindButton(unsigned id) const;
  const std::vector<QMenu*>& Popups() const { return m_popups; }

  // Asks the update chain for the state of every item of `menu`.
  void UpdateMenu(QMenu* menu);

 private:
  QAction* MakeCommandAction(unsigned id, const QString& text, QObject* parent);
  void AppendWindowList(QMenu* menu);

  CMDIFrameWnd* m_pFrame;
  unsigned m_nMenuId = 0;
  std::vector<QMenu*> m_popups;
  std::vector<QAction*> m_windowListActions;
  std::map<unsigned, QAction*> m_buttons;
};

// The command id an action runs (0 for none).
unsigned CommandIdOf(const QAction* action);

}  // namespace fw
