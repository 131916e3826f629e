#pragma once

#include <QString>

#include "document/clipboard_capture.h"
#include "document/item_count_sink.h"
#include "framework/doc_template.h"
#include "view/find_state.h"

namespace doc {

class JournalStore;

// The one document template: clip list documents in child frames with list views.
// It hands every document and view the application's clipboard capture, the count pane
// and the find dialog's state it keeps for the program's views; a new document takes the
// application's m_strNewDocTitle when one is set, and each its journal store.
class CClipDocTemplate : public fw::CDocTemplate {
 public:
  CClipDocTemplate(ClipboardCapture& capture, const QString& newDocTitle);

  void SetDefaultTitle(fw::CDocument* doc) override;

  ClipboardCapture& Capture() const { return m_capture; }
  view::FindState& GetFindState() { return m_findState; }
  ItemCountSink* CountSink() const { return m_pCountSink; }
  // The main window, once it exists.
  void SetCountSink(ItemCountSink* sink);
  // Where the lists made from now on keep their recovery journals; null: nowhere.
  void SetJournalStore(JournalStore* store) { m_pJournals = store; }

 private:
  ClipboardCapture& m_capture;
  const QString& m_strNewDocTitle;
  ItemCountSink* m_pCountSink = nullptr;
  JournalStore* m_pJournals = nullptr;
  view::FindState m_findState;
};

}  // namespace doc
