#pragma once

#include "framework/mdi_child_wnd.h"

namespace doc {

// A document window. When it is the last in the stacking order as it goes away, the
// item-count pane is reset to 0.
class CChildFrame : public fw::CMDIChildWnd {
  Q_OBJECT

 public:
  CChildFrame();
  bool DestroyWindow() override;
};

}  // namespace doc
