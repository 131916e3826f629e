#pragma once

#include <optional>

#include "app/frame_settings.h"
#include "document/item_count_sink.h"
#include "framework/mdi_frame_wnd.h"

class QLabel;
class QStatusBar;
class QToolBar;

namespace doc {
class ClipboardCapture;
}

namespace app {

class FramePlacement;

// The main window: tool bar, status bar with the item-count pane and the program's own
// settings (section "Window Size"). It holds the document windows whose active list the
// application's clipboard capture fills.
class CMainFrame : public fw::CMDIFrameWnd, public doc::ItemCountSink {
  Q_OBJECT

 public:
  // `capture`: the application's clipboard watcher, which this window joins while it lives.
  CMainFrame(fw::CWinApp& app, doc::ClipboardCapture& capture);
  ~CMainFrame() override;

  // Builds the bars and panes and starts watching the clipboard. False on failure.
  bool Create();

  void UpdateItemCount(unsigned count) override;
  // The window's switches (start minimized, always on top, start-up file) and what start-up
  // read of the others.
  FrameSettings& Settings() { return m_settings; }
  const FrameSettings& Settings() const { return m_settings; }
  // Writes the section "Window Size" and stops watching the clipboard.
  void SaveSettings();

  void JoinClipboardChain();
  void LeaveClipboardChain();

  // Puts the window into, or takes it out of, the topmost layer without moving it.
  void ApplyTopMost();

  bool OnCmdMsg(unsigned id, fw::CCmdUI* ui) override;
  void OnIdleUpdate() override;

 signals:
  // A clipboard notice has been handled: its text is captured into the active list (or
  // refused by its rules), before any view has redrawn.
  void ClipboardHandled();

 public:

  QToolBar* ToolBar() const { return m_wndToolBar; }
  QStatusBar* StatusBar() const { return m_wndStatusBar; }
  QLabel* ItemCountPane() const { return m_pItemCountPane; }
  QLabel* IndicatorPane(unsigned id) const;
  // The window's outer rectangle in the normal state, and its placing.
  FramePlacement& Placement() const { return *m_pPlacement; }

  // The saved placement has not been applied yet.
  bool m_bPlacementPending = true;

 protected:
  void closeEvent(QCloseEvent* event) override;
  void OnActiveChildChanged() override;

 private:
  void CreateStatusBar();
  void UpdateIndicators();

  void OnViewStartMinimized();
  void OnUpdateViewStartMinimized(fw::CCmdUI* ui);
  void OnViewTopMost();
  void OnUpdateViewTopMost(fw::CCmdUI* ui);
  void OnViewToolBar();
  void OnUpdateViewToolBar(fw::CCmdUI* ui);
  void OnViewStatusBar();
  void OnUpdateViewStatusBar(fw::CCmdUI* ui);
  void OnClipAutoPaste();
  void OnUpdateClipAutoPaste(fw::CCmdUI* ui);
  void OnClipClear();
  void OnUpdateClipClear(fw::CCmdUI* ui);
  void OnCloseAll();
  void OnViewStartupFile();

  QToolBar* m_wndToolBar = nullptr;
  QStatusBar* m_wndStatusBar = nullptr;
  QLabel* m_pItemCountPane = nullptr;
  std::optional<unsigned> m_nShownCount;  // the count the pane shows, once it shows one
  int m_nCountPaneDigits = 0;  // the digits of the count the pane was last measured for
  int m_nCountPaneWidth = 0;   // and the width its text needed
  QLabel* m_pIdlePane = nullptr;
  QLabel* m_pIndicatorPanes[4] = {};
  doc::ClipboardCapture& m_capture;
  FrameSettings m_settings;
  FramePlacement* m_pPlacement;
  bool m_bClosing = false;
};

}  // namespace app
