#pragma once

#include <QString>

#include "document/capture_state.h"
#include "framework/doc_template.h"

namespace doc {

// The one document template: clip list documents in child frames with list views.
// It hands every document the application's capture state and count pane, and a new
// document takes the application's m_strNewDocTitle when one is set.
class CClipDocTemplate : public fw::CDocTemplate {
 public:
  CClipDocTemplate(CaptureState& capture, const QString& newDocTitle);

  void SetDefaultTitle(fw::CDocument* doc) override;

  CaptureState& Capture() const { return m_capture; }
  ItemCountSink* CountSink() const { return m_pCountSink; }
  // The main window, once it exists.
  void SetCountSink(ItemCountSink* sink);

 private:
  CaptureState& m_capture;
  const QString& m_strNewDocTitle;
  ItemCountSink* m_pCountSink = nullptr;
};

}  // namespace doc
