#pragma once

#include <string>

#include "framework/view.h"

namespace doc {
class ClipboardCapture;
class CTolvaneDoc;
}
namespace dialogs {
struct FindNotice;
}

namespace view {

class CClipListBox;
class ClipListModel;
struct FindState;

// Shows a clip list document in a list that fills the view, refilled on every change of
// the document and of the clipboard; the target of the edit commands.
class CTolvaneView : public fw::CView {
  Q_OBJECT

 public:
  // `capture`: the clipboard as the program keeps it; `findState`: the find dialog's
  // state that the program's views share.
  CTolvaneView(doc::ClipboardCapture& capture, FindState& findState);
  ~CTolvaneView() override;

  doc::CTolvaneDoc* GetDocument() const;
  void SetDocument(fw::CDocument* document) override;
  CClipListBox* ListBox() const { return m_pListBox; }
  ClipListModel* Model() const { return m_pModel; }

  void OnInitialUpdate() override;
  void OnUpdate(fw::CView* sender, int hint) override;
  void FlushPendingUpdate() override;
  // The list gained the focus: the item-count pane shows this view's line count.
  void OnListFocus();
  void OnDblclkClipList();

  bool OnCmdMsg(unsigned id, fw::CCmdUI* ui) override;

  // Puts `text` on the clipboard as its only content; false after a reported failure.
  bool SetClipboardText(const std::string& text);

  void OnEditModify();
  void OnEditCut();
  void OnEditCopy();
  void OnEditPaste();
  void OnEditDelete();

  // Find (tolvane_view_find.cpp)
  void OnEditFind();
  void OnFindReplace(const dialogs::FindNotice& notice);
  void FindNext(const std::string& text, bool down);
  // Selects the next item holding `text` and beeps; false when there is none.
  bool SearchList(const std::string& text, bool down);
  void ReportNotFound(const std::string& text);

 protected:
  void resizeEvent(QResizeEvent* event) override;
  void focusInEvent(QFocusEvent* event) override;

 private:
  void RefillList(int hint);
  void OnUpdateNeedSelection(fw::CCmdUI* ui);
  void OnUpdateEditPaste(fw::CCmdUI* ui);
  void OnUpdateEditFind(fw::CCmdUI* ui);
  void ApplyEdit(int result, const std::string& text, int position);

  doc::ClipboardCapture& m_capture;
  FindState& m_findState;
  CClipListBox* m_pListBox;
  ClipListModel* m_pModel;
  // An update waiting for the end of an update batch, with the line it selects.
  bool m_bUpdatePending = false;
  int m_nPendingHint = -1;
};

}  // namespace view
