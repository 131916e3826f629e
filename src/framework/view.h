#pragma once

#include <QWidget>

#include "framework/cmd_target.h"

namespace fw {

class CDocument;
class CMDIChildWnd;

// The base of a view: a widget inside a document window that shows one document.
class CView : public QWidget, public CCmdTarget {
  Q_OBJECT

 public:
  explicit CView(QWidget* parent = nullptr);
  ~CView() override;

  CDocument* GetDocument() const { return m_pDocument; }
  virtual void SetDocument(CDocument* document) { m_pDocument = document; }
  CMDIChildWnd* GetParentFrame() const;

  // Called once when the view is first shown in its window.
  virtual void OnInitialUpdate();
  // Called by the document's UpdateAllViews with the position to select.
  virtual void OnUpdate(CView* sender, int hint);

 private:
  CDocument* m_pDocument = nullptr;
};

}  // namespace fw
