#pragma once

#include "framework/mdi_child_wnd.h"

namespace doc {

class CClipDocTemplate;

// A document window. When it is the last in the stacking order as it goes away, the
// item-count pane is reset to 0.
class CChildFrame : public fw::CMDIChildWnd {
  Q_OBJECT

 public:
  explicit CChildFrame(const CClipDocTemplate* docTemplate);
  bool DestroyWindow() override;

 private:
  const CClipDocTemplate* m_pDocTemplate;
};

}  // namespace doc
