#include "document/clip_doc_template.h"

#include "app/tolvane_app.h"
#include "document/child_frame.h"
#include "document/tolvane_doc.h"
#include "resources/command_ids.h"
#include "resources/messages.h"
#include "view/tolvane_view.h"

namespace doc {

CClipDocTemplate::CClipDocTemplate()
    : fw::CDocTemplate(
          res::IDR_TLVNTYPE, QString::fromUtf8(res::kDocTemplateString),
          [] { return std::make_unique<CTolvaneDoc>(); }, [] { return new CChildFrame; },
          [] { return new view::CTolvaneView; }) {}

void CClipDocTemplate::SetDefaultTitle(fw::CDocument* doc) {
  app::CTolvaneApp* app = app::TolvaneApp();
  if (app && !app->m_strNewDocTitle.isEmpty()) {
    doc->SetTitle(app->m_strNewDocTitle);
    return;
  }
  fw::CDocTemplate::SetDefaultTitle(doc);
}

}  // namespace doc
