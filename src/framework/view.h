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
  // Carries out an update that waited for the end of an update batch.
  virtual void FlushPendingUpdate() {}

 private:
  CDocument* m_pDocument = nullptr;
};

// While one lives, views may let updates wait instead of refilling at once: a view asked
// twice (the document's change, then the clipboard's marker) refills once, when the
// batch ends. Nested batches flush too, so no event loop run inside a batch (a message box)
// shows a view that is behind its list.
class ViewUpdateBatch {
 public:
  ViewUpdateBatch();
  ~ViewUpdateBatch();
  ViewUpdateBatch(const ViewUpdateBatch&) = delete;
  ViewUpdateBatch& operator=(const ViewUpdateBatch&) = delete;

  static bool IsActive();
  // `view` has an update waiting; FlushPendingUpdate is called when the batch ends.
  static void Defer(CView* view);
};

}  // namespace fw
