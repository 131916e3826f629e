#pragma once

#include "framework/doc_template.h"

namespace doc {

// The one document template: clip list documents in child frames with list views.
// A new document takes the application's m_strNewDocTitle when one is set.
class CClipDocTemplate : public fw::CDocTemplate {
 public:
  CClipDocTemplate();
  void SetDefaultTitle(fw::CDocument* doc) override;
};

}  // namespace doc
