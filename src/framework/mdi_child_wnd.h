#pragma once

#include <QMdiSubWindow>

#include "framework/cmd_target.h"

namespace fw {

class CDocument;
class CView;
class CMDIFrameWnd;

// A document window: a sub-window of the main window's client area holding one view.
class CMDIChildWnd : public QMdiSubWindow, public CCmdTarget {
  Q_OBJECT

 public:
  CMDIChildWnd();
  ~CMDIChildWnd() override;

  CView* GetActiveView() const { return m_pView; }
  void SetView(CView* view);
  CDocument* GetActiveDocument() const;
  CMDIFrameWnd* GetMDIFrame() const;

  // 0 when the document has one window, else this window's number (caption "Title:n").
  void SetWindowNumber(int number);
  void OnUpdateFrameTitle();

  // Takes the window out of the client area and destroys it; the document ends with
  // its last window. Returns whether the window was destroyed.
  virtual bool DestroyWindow();
  // The close box and Ctrl+F4: the document's save check when this is its last window.
  void CloseFrame();

 protected:
  void closeEvent(QCloseEvent* event) override;

 private:
  void BuildSystemMenu();

  CView* m_pView = nullptr;
  int m_nWindow = 0;
  bool m_bDestroyed = false;
};

}  // namespace fw
