#pragma once

#include <QMainWindow>
#include <QStringList>
#include <vector>

#include "framework/cmd_target.h"

class QMdiArea;
class QMdiSubWindow;

namespace fw {

class CMDIChildWnd;
class CWinApp;
class CommandBars;
struct MenuListEntry;

// The main window: menus, bars and a client area of document windows. Commands from
// menus, keys and buttons are routed from here along the active window's chain.
// Help topics of the main window and of a document window (their resource ids).
inline constexpr unsigned kFrameHelpId = 128;
inline constexpr unsigned kDocumentWindowHelpId = 129;

class CMDIFrameWnd : public QMainWindow, public CCmdTarget {
  Q_OBJECT

 public:
  // `app`: the application whose commands and documents the window serves.
  explicit CMDIFrameWnd(CWinApp& app);
  ~CMDIFrameWnd() override;

  CWinApp& GetApp() const { return m_app; }

  QMdiArea* GetMDIClient() const { return m_pMdiClient; }
  CommandBars* GetCommandBars() const { return m_pBars; }

  // The active document window, or null (a hidden one counts as none).
  CMDIChildWnd* MDIGetActive() const;
  std::vector<CMDIChildWnd*> GetChildFrames() const;
  void AddChildFrame(CMDIChildWnd* frame);
  void MDIActivate(CMDIChildWnd* frame);
  void MDINext();
  void MDIPrevious();
  void MDICascade();
  void MDITileHorizontally();
  void MDIIconArrange();

  // Shows the window, restores it when minimized, raises and activates it.
  void ActivateFrame();
  // Files dropped on the window: activates it and opens each in turn.
  void OnDropFiles(const QStringList& paths);

  // The targets a command is offered to, in order.
  std::vector<CCmdTarget*> GetCommandChain() const;
  bool RouteCommand(unsigned id, CCmdUI* ui) const;
  bool IsCommandEnabled(unsigned id) const;
  // Runs the command if its update handler enables it; false when it did not run.
  bool RunCommand(unsigned id);

  // Caption: the application title, with " - " and the active document's title while a
  // document window is active and not maximized.
  void OnUpdateFrameTitle();
  // Brings tool-bar buttons and status panes up to date (called when the program idles).
  virtual void OnIdleUpdate();
  // A document window has been taken out of the client area.
  virtual void OnChildDestroyed();

  bool OnCmdMsg(unsigned id, CCmdUI* ui) override;

 protected:
  // A document window became active, or the last one went away.
  virtual void OnActiveChildChanged();

  void OnWindowNew();
  void OnWindowCascade();
  void OnWindowTile();
  void OnWindowArrange();
  void OnUpdateWindowCommand(CCmdUI* ui);
  // Context help: the next item clicked shows its help.
  void OnContextHelp();
  void OnHelpFinder();
  void OnHelp();
  void OnUpdateContextHelp(CCmdUI* ui);

  bool event(QEvent* event) override;
  void dragEnterEvent(QDragEnterEvent* event) override;
  void dragMoveEvent(QDragMoveEvent* event) override;
  void dropEvent(QDropEvent* event) override;
  // The bars have no context menu of their own.
  QMenu* createPopupMenu() override { return nullptr; }

  CommandBars* m_pBars;

 private:
  CWinApp& m_app;

  // The Window popup's list of document windows.
  std::vector<MenuListEntry> WindowListEntries();
  // Where the index-th of `count` cascaded windows stands.
  QRect CascadeRect(int index, int count) const;

  QMdiArea* m_pMdiClient;
};

}  // namespace fw
