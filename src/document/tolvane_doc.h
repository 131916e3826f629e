#pragma once

#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "document/clip_list.h"
#include "document/clipboard_capture.h"
#include "document/item_count_sink.h"
#include "framework/document.h"

namespace doc {

class JournalStore;
class ListJournal;
struct RecoveredList;

inline constexpr int kMaxCapturedItems = 32767;

// A clip list: texts without duplicates, the newest capture first, with a one-step
// memory of the item deleted last. The title carries " *" exactly while modified.
// The document is the only writer of its list: every edit is one of the operations
// below, and each ends in the same step (views refilled with a hint, the modified flag,
// the item count). While modified, the list keeps a recovery journal of its changes
// (when it has a journal store), which ends with the modification: saved, cleared by the
// rules, or the list closed. Between changes the journal is armed: it makes its file at
// the first change.
class CTolvaneDoc : public fw::CDocument {
 public:
  explicit CTolvaneDoc(ClipboardCapture& capture, ItemCountSink* countSink = nullptr);
  ~CTolvaneDoc() override;

  const CClipList& GetItemList() const { return m_itemList; }
  ClipboardCapture& Capture() const { return m_capture; }
  ItemCountSink* CountSink() const { return m_pCountSink; }
  void SetCountSink(ItemCountSink* sink) { m_pCountSink = sink; }
  void SetJournalStore(JournalStore* store) { m_pJournals = store; }
  // The journal of the modified list; null when it keeps none.
  ListJournal* Journal() const { return m_pJournal.get(); }

  // The list a run that did not end normally left in its journal, back as it was: title,
  // path, items, modified, its journal going on.
  bool RestoreFromJournal(RecoveredList& recovered);

  // Adds the current clipboard text at the head (after removing an equal item); refused
  // at 32,767 items. Nothing happens for an empty text.
  void AddClipboardText();
  // For a list made new before the clipboard at start was read: adds that text now, as
  // making it would have done (with auto paste on). Later calls do nothing.
  void AddStartupText();
  // The same as AddClipboardText for a text that came by another way than the clipboard
  // (a script). True when the text is now at the head.
  bool AddCapturedText(std::string text);
  // Deletes the item at `position` and remembers it for Undo.
  void DeleteItem(int position);
  // The edit dialog's Update: the item at `position` takes `text`; an equal item elsewhere
  // leaves the list.
  void ReplaceItem(int position, std::string text);
  // The edit dialog's Insert: `text` goes just above the item at `position`; an equal item
  // elsewhere leaves the list first.
  void InsertItemAbove(int position, std::string text);
  // Moves the item at `from` to stand just above the item at `before` and selects it in
  // every view. False, with nothing changed, when either is not a line or the item would
  // stay where it is (`before` is `from` or the line after it).
  bool MoveItem(int from, int before);
  // Text-file import: each line not already listed goes to the end, up to the item limit
  // (whose message shows once); the views refill with hint 0 and the list is modified.
  void AppendTextLines(std::vector<std::string> lines);
  // Removes the first item equal to `text`; its former position, or -1.
  int RemoveEqualItem(std::string_view text);

  void OnEditUndo();
  void OnEditClearAll();

  void Serialize(fw::CArchive& ar) override;
  void SetModifiedFlag(bool modified = true) override;
  bool OnNewDocument() override;
  bool OnOpenDocument(const QString& path) override;
  bool OnSaveDocument(const QString& path) override;
  void DeleteContents() override;
  bool SaveModified() override { return true; }

  bool OnCmdMsg(unsigned id, fw::CCmdUI* ui) override;

  // Tests set up and disturb lists directly through this.
  CClipList& ItemListForTesting() { return m_itemList; }

  std::string m_strDeleted;
  int m_nDeletedIndex = -1;

 private:
  // The end of every change: views refilled with `hint`, the modified flag, and the count
  // where the change altered it.
  void ChangeDone(int hint, bool modified, bool countChanged = true);
  void UpdateItemCount() const;
  void KeepViewsInStep(int removedPosition);
  void OnUpdateListNotEmpty(fw::CCmdUI* ui);
  void OnUpdateFileSave(fw::CCmdUI* ui);
  void OnFileSaveText();
  void OnUpdateEditUndo(fw::CCmdUI* ui);
  // The list is as its file at `path` holds it, or empty, or as nothing else holds it
  // (`path` empty): the next change starts a journal from there.
  void ArmJournal(const std::string& path);
  void StartJournal();
  void EndJournal();
  // A journal whose writing failed records no more; the user hears of it once a run.
  void CheckJournal();

  CClipList m_itemList;
  ClipboardCapture& m_capture;
  ItemCountSink* m_pCountSink;
  bool m_bAwaitsStartupText = false;
  JournalStore* m_pJournals = nullptr;
  std::unique_ptr<ListJournal> m_pJournal;
  // A file is being read: the list is not journalled while it fills.
  bool m_bLoading = false;
};

}  // namespace doc
