#pragma once

#include <QIcon>

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

  // The picture in a document window's title bar.
  static QIcon DocumentIcon();

 private:
  const CClipDocTemplate* m_pDocTemplate;
};

}  // namespace doc
