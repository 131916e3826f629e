#pragma once

#include <string>
#include <string_view>

#include "document/clip_list.h"
#include "framework/document.h"

namespace doc {

inline constexpr int kMaxCapturedItems = 32767;

// A clip list: texts without duplicates, the newest capture first, with a one-step
// memory of the item deleted last. The title carries " *" exactly while modified.
class CTolvaneDoc : public fw::CDocument {
 public:
  CTolvaneDoc() = default;

  // Adds the main window's current clipboard text at the head (after removing an equal
  // item); refused at 32,767 items. Nothing happens for an empty text.
  void AddClipboardText();
  // Removes the first item equal to `text`; its former position, or -1.
  int RemoveEqualItem(std::string_view text);

  void OnEditUndo();
  void OnEditClearAll();

  void SetModifiedFlag(bool modified = true) override;
  bool OnNewDocument() override;
  void DeleteContents() override;
  bool SaveModified() override { return true; }

  bool OnCmdMsg(unsigned id, fw::CCmdUI* ui) override;

  CClipList m_itemList;
  std::string m_strDeleted;
  int m_nDeletedIndex = -1;

 private:
  void OnUpdateFileSave(fw::CCmdUI* ui);
  void OnUpdateListNotEmpty(fw::CCmdUI* ui);
  void OnUpdateEditUndo(fw::CCmdUI* ui);
  void UpdateItemCount() const;
  void KeepViewsInStep(int removedPosition);
};

}  // namespace doc
