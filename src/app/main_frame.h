#pragma once

#include <string>

#include "document/capture_state.h"
#include "framework/mdi_frame_wnd.h"

class QLabel;
class QStatusBar;
class QToolBar;

namespace app {

class FramePlacement;

// The main window: tool bar, status bar with the item-count pane, the program's own
// settings (section "Window Size"), and the clipboard watcher that captures each new
// clipboard text into the active document.
class CMainFrame : public fw::CMDIFrameWnd, public doc::ItemCountSink {
  Q_OBJECT

 public:
  // `capture`: the application's capture state, which the watcher fills.
  explicit CMainFrame(doc::CaptureState& capture);
  ~CMainFrame() override;

  // Builds the bars and panes and starts watching the clipboard. False on failure.
  bool Create();

  void UpdateItemCount(unsigned count) override;
  // Writes the section "Window Size" and stops watching the clipboard.
  void SaveSettings();

  // The clipboard-change notice and its read of the clipboard.
  void OnDrawClipboard();
  void CaptureClipboardText();
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

  // Settings names.
  static constexpr const char* kSection = "Window Size";
  static constexpr const char* kRect = "Rect";
  static constexpr const char* kMin = "Min";
  static constexpr const char* kMax = "Max";
  static constexpr const char* kTool = "Tool";
  static constexpr const char* kStatus = "Status";
  static constexpr const char* kIcon = "Icon";
  static constexpr const char* kFile = "File";
  static constexpr const char* kTopMost = "TopMost";
  static constexpr const char* kAuto = "Auto";

  doc::CaptureState& m_capture;
  // The capture state under the names the watcher's rules use.
  int& m_bAutoPaste;
  int& m_bSkipNextCapture;
  std::string& m_strClipText;
  int m_bPlacementPending = 1;
  int m_bStartMinimized = 0;
  std::string m_strStartupFile;
  int m_bTopMost = 0;

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
  QLabel* m_pIdlePane = nullptr;
  QLabel* m_pIndicatorPanes[4] = {};
  FramePlacement* m_pPlacement;
  bool m_bWatchingClipboard = false;
  bool m_bClosing = false;
};

}  // namespace app
