#include "document/clip_doc_template.h"

#include "document/child_frame.h"
#include "document/tolvane_doc.h"
#include "resources/command_ids.h"
#include "resources/messages.h"
#include "view/tolvane_view.h"

namespace doc {

CClipDocTemplate::CClipDocTemplate(ClipboardCapture& capture, const QString& newDocTitle)
    : fw::CDocTemplate(
          res::IDR_TLVNTYPE, QString::fromUtf8(res::kDocTemplateString),
          [this] {
            auto doc = std::make_unique<CTolvaneDoc>(m_capture, m_pCountSink);
            doc->SetJournalStore(m_pJournals);
            return doc;
          },
          [this] { return new CChildFrame(this); },
          [this] { return new view::CTolvaneView(m_capture, m_findState); }),
      m_capture(capture),
      m_strNewDocTitle(newDocTitle) {}

void CClipDocTemplate::SetCountSink(ItemCountSink* sink) {
  m_pCountSink = sink;
  for (const auto& document : GetDocuments()) {
    if (auto* doc = dynamic_cast<CTolvaneDoc*>(document.get())) doc->SetCountSink(sink);
  }
}

void CClipDocTemplate::SetDefaultTitle(fw::CDocument* doc) {
  if (!m_strNewDocTitle.isEmpty()) {
    doc->SetTitle(m_strNewDocTitle);
    return;
  }
  fw::CDocTemplate::SetDefaultTitle(doc);
}

}  // namespace doc
