#include "document/tolvane_doc.h"

#include <QApplication>
#include <QScopedValueRollback>
#include <QTimer>
#include <new>
#include <unordered_set>
#include <utility>

#include "document/clip_list_serializer.h"
#include "document/journal_store.h"
#include "document/list_journal.h"
#include "document/text_file_codec.h"
#include "framework/archive.h"
#include "framework/doc_template.h"
#include "framework/file_exception.h"
#include "framework/safe_file_writer.h"
#include "platform/file_dialog.h"
#include "platform/regular_file.h"

#include "framework/win_app.h"
#include "resources/command_ids.h"
#include "resources/messages.h"

namespace doc {
namespace {

using platform::MbButtons;
using platform::MbIcon;

int ShowStop(const char* text, bool systemModal) {
  return fw::AppMessageBox(QString::fromUtf8(text), MbIcon::Stop, MbButtons::Ok, 0, systemModal);
}

// Told once the change under way is done: a capture does not wait for the user.
void ReportJournalStopped(const std::string& file) {
  QString text = QString::fromUtf8(res::kMsgJournalStopped);
  text.replace(QLatin1String("%1"), QString::fromStdString(file));
  QTimer::singleShot(0, qApp, [text] { fw::AppMessageBox(text, MbIcon::Exclamation); });
}

}  // namespace

CTolvaneDoc::CTolvaneDoc(ClipboardCapture& capture, ItemCountSink* countSink)
    : m_capture(capture), m_pCountSink(countSink) {}

CTolvaneDoc::~CTolvaneDoc() { EndJournal(); }

void CTolvaneDoc::UpdateItemCount() const {
  if (m_pCountSink) m_pCountSink->UpdateItemCount(m_itemList.GetCount());
}

void CTolvaneDoc::ChangeDone(int hint, bool modified, bool countChanged) {
  UpdateAllViews(nullptr, hint);
  SetModifiedFlag(modified);
  CheckJournal();
  if (countChanged) UpdateItemCount();
}

void CTolvaneDoc::AddClipboardText() {
  if (m_capture.ClipText().empty()) return;
  // A copy: a message box below runs an event loop in which the text may change.
  AddCapturedText(m_capture.TakeClipTextCopy());
}

void CTolvaneDoc::AddStartupText() {
  if (!std::exchange(m_bAwaitsStartupText, false)) return;
  if (m_capture.AutoPaste()) AddClipboardText();
}

bool CTolvaneDoc::AddCapturedText(std::string text) {
  if (text.empty()) return false;
  // A listed text moves to the head in one step, unless the list holds more than the
  // limit (loaded from a file): then the equal item goes and the text is refused.
  const int listed = m_itemList.Find(text);
  const bool move = listed >= 0 && m_itemList.GetCount() <= kMaxCapturedItems;
  if (!move && listed >= 0) m_itemList.RemoveAt(listed);
  if (!move && m_itemList.GetCount() >= kMaxCapturedItems) {
    m_capture.ShowMessage(res::kMsgItemLimit);
    return false;
  }
  try {
    if (move) {
      m_itemList.MoveToHead(listed);
    } else {
      m_itemList.AddHead(std::move(text));
    }
  } catch (const std::bad_alloc&) {
    KeepViewsInStep(listed);
    m_capture.ShowMessage(res::kMsgNoMemoryAddText);
    return false;
  }
  ChangeDone(0, true);
  return true;
}

void CTolvaneDoc::KeepViewsInStep(int removedPosition) {
  // An equal item left the list before the addition failed: the views and the count
  // must not go on showing it.
  if (removedPosition < 0) return;
  UpdateAllViews(nullptr, -1);
  UpdateItemCount();
}

int CTolvaneDoc::RemoveEqualItem(std::string_view text) {
  const int position = m_itemList.Find(text);
  if (position >= 0) m_itemList.RemoveAt(position);
  return position;
}

void CTolvaneDoc::DeleteItem(int position) {
  if (position < 0 || position >= m_itemList.GetCount()) return;
  m_nDeletedIndex = position;
  m_strDeleted = m_itemList.GetAt(position);
  m_itemList.RemoveAt(position);
  const int count = m_itemList.GetCount();
  ChangeDone(position == count ? position - 1 : position, count > 0);
}

void CTolvaneDoc::ReplaceItem(int position, std::string text) {
  if (position < 0 || position >= m_itemList.GetCount()) return;
  CClipList::TrackedPosition target(m_itemList, position);
  if (RemoveEqualItem(text) >= 0) UpdateItemCount();
  m_itemList.SetAt(target.Get(), std::move(text));
  ChangeDone(target.Get(), true, /*countChanged=*/false);
}

void CTolvaneDoc::InsertItemAbove(int position, std::string text) {
  if (position < 0 || position >= m_itemList.GetCount()) return;
  CClipList::TrackedPosition below(m_itemList, position);
  const int removed = RemoveEqualItem(text);
  try {
    m_itemList.InsertBefore(below.Get(), std::move(text));
  } catch (const std::bad_alloc&) {
    KeepViewsInStep(removed);
    throw;
  }
  // The item that was there moved one down, below the inserted text: it stays selected.
  ChangeDone(below.Get(), true);
}

bool CTolvaneDoc::MoveItem(int from, int before) {
  const int count = m_itemList.GetCount();
  if (from < 0 || from >= count || before < 0 || before >= count) return false;
  if (before == from || before == from + 1) return false;
  std::string text = m_itemList.GetAt(from);
  m_itemList.InsertBefore(before, std::move(text));
  m_itemList.RemoveAt(before > from ? from : from + 1);
  ChangeDone(before > from ? before - 1 : before, true, /*countChanged=*/false);
  return true;
}

void CTolvaneDoc::AppendTextLines(std::vector<std::string> lines) {
  // A set of what is listed, so that a long file against a long list stays linear.
  std::unordered_set<std::string_view> listed;
  listed.reserve(m_itemList.GetCount() + lines.size());
  for (int i = 0; i < m_itemList.GetCount(); ++i) listed.insert(m_itemList.GetAt(i));
  bool added = false;
  for (std::string& line : lines) {
    if (listed.count(line)) continue;
    if (m_itemList.GetCount() >= kMaxCapturedItems) {
      ShowStop(res::kMsgItemLimit, /*systemModal=*/true);
      break;
    }
    m_itemList.AddTail(std::move(line));
    listed.insert(m_itemList.GetAt(m_itemList.GetCount() - 1));
    added = true;
  }
  if (added) ChangeDone(0, true);
}

void CTolvaneDoc::OnEditUndo() {
  if (m_strDeleted.empty() || m_nDeletedIndex == -1) return;
  const int removed = RemoveEqualItem(m_strDeleted);
  try {
    if (m_nDeletedIndex < m_itemList.GetCount()) {
      m_itemList.InsertBefore(m_nDeletedIndex, m_strDeleted);
    } else {
      m_itemList.AddTail(m_strDeleted);
    }
  } catch (const std::bad_alloc&) {
    KeepViewsInStep(removed);
    ShowStop(res::kMsgNoMemoryUndo, /*systemModal=*/false);
    return;
  }
  ChangeDone(m_nDeletedIndex, true);
  m_strDeleted.clear();
  m_nDeletedIndex = -1;
}

void CTolvaneDoc::OnEditClearAll() {
  const int answer = fw::AppMessageBox(QString::fromUtf8(res::kMsgConfirmClearAll),
                                       MbIcon::Exclamation, MbButtons::OkCancel,
                                       0x10000 + res::ID_EDIT_CLEAR_ALL);
  if (answer != platform::IDOK) return;
  m_itemList.RemoveAll();
  ChangeDone(-1, false);
}

void CTolvaneDoc::Serialize(fw::CArchive& ar) {
  if (ar.IsStoring()) {
    WriteClipList(ar, m_itemList);
  } else {
    ReadClipList(ar, m_itemList);
  }
}

void CTolvaneDoc::OnFileSaveText() {
  // The title without the modified marker, with the text file's extension.
  QString proposed = GetTitle();
  if (IsModified()) proposed.chop(2);
  platform::FileDialogRequest request;
  request.save = true;
  request.title = fw::LoadQString(res::IDS_SAVE_TITLE);
  request.filters = {QString::fromUtf8(res::kTextFileFilter), fw::LoadQString(res::IDS_ALL_FILES)};
  request.defaultSuffix = QStringLiteral("txt");
  request.proposedName = proposed + QStringLiteral(".txt");
  request.owner = QApplication::activeWindow();
  const std::optional<QString> chosen = platform::ShowFileDialog(request);
  if (!chosen) return;
  try {
    fw::SaveFileSafely(chosen->toStdString(),
                       [this](fw::CArchive& ar) { WriteTextLines(ar, m_itemList); });
  } catch (...) {
    fw::ReportFileFailure(std::current_exception(), *chosen, res::IDS_FAILED_SAVE_DOC);
  }
}

void CTolvaneDoc::SetModifiedFlag(bool modified) {
  if (modified && !IsModified()) {
    StartJournal();
    SetTitle(GetTitle() + QStringLiteral(" *"));
    m_bModified = true;
  } else if (!modified) {
    if (IsModified()) {
      SetTitle(GetTitle().left(GetTitle().size() - 2));
      m_bModified = false;
    }
    // The journal of the changes so far ends (also after a change that leaves the list
    // unmodified, as Delete all does); the next change starts one from here.
    if (!m_pJournal || m_pJournal->HasStarted()) ArmJournal({});
  }
}

void CTolvaneDoc::ArmJournal(const std::string& path) {
  EndJournal();
  if (!m_pJournals || m_bLoading) return;
  JournalBase base;
  base.title = GetTitle().toStdString();
  base.path = path;
  if (m_itemList.IsEmpty()) {
    base.kind = JournalBase::Kind::Empty;
  } else if (!path.empty() && platform::IdentifyFile(path, base.file)) {
    base.kind = JournalBase::Kind::File;
  }
  m_pJournal = m_pJournals->Arm(m_itemList, std::move(base));
}

// Only when no journal is armed: the change is made, so the journal starts with a copy of
// the list.
void CTolvaneDoc::StartJournal() {
  if (!m_pJournals || m_pJournal || m_bLoading) return;
  std::string failedPath;
  m_pJournal = m_pJournals->Start(m_itemList, GetTitle().toStdString(),
                                  GetPathName().toStdString(), failedPath);
  if (!failedPath.empty() && m_pJournals->Stop()) ReportJournalStopped(failedPath);
}

void CTolvaneDoc::EndJournal() {
  if (!m_pJournal) return;
  m_pJournal->End();
  m_pJournal.reset();
}

void CTolvaneDoc::CheckJournal() {
  if (!m_pJournal || !m_pJournal->IsRecording() || m_pJournal->Error() == 0) return;
  // The file keeps what got through, for a crash; it goes when the list's journal ends.
  m_pJournal->StopRecording();
  if (m_pJournals && m_pJournals->Stop()) ReportJournalStopped(m_pJournal->FilePath());
}

bool CTolvaneDoc::RestoreFromJournal(RecoveredList& recovered) {
  DeleteContents();
  const CClipList& items = recovered.content.list;
  for (int i = 0; i < items.GetCount(); ++i) m_itemList.AddTail(items.GetAt(i));
  if (recovered.content.path.empty()) {
    SetTitle(QString::fromStdString(recovered.content.title));
    if (fw::CDocTemplate* docTemplate = GetDocTemplate()) docTemplate->NoteUntitledTitle(GetTitle());
  } else {
    SetPathName(QString::fromStdString(recovered.content.path));
  }
  m_pJournal = JournalStore::Continue(m_itemList, recovered);
  SetModifiedFlag(true);
  return true;
}

bool CTolvaneDoc::OnOpenDocument(const QString& path) {
  {
    const QScopedValueRollback<bool> loading(m_bLoading, true);
    if (!fw::CDocument::OnOpenDocument(path)) return false;
  }
  ArmJournal(path.toStdString());
  return true;
}

bool CTolvaneDoc::OnSaveDocument(const QString& path) {
  if (!fw::CDocument::OnSaveDocument(path)) return false;
  ArmJournal(path.toStdString());
  return true;
}

bool CTolvaneDoc::OnNewDocument() {
  if (!fw::CDocument::OnNewDocument()) return false;
  if (m_capture.AutoPaste()) AddClipboardText();
  m_bAwaitsStartupText = m_capture.StartupReadPending();
  return true;
}

void CTolvaneDoc::DeleteContents() {
  // What goes is not a change to keep: the list is closed, or filled anew.
  EndJournal();
  m_itemList.RemoveAll();
}

bool CTolvaneDoc::OnCmdMsg(unsigned id, fw::CCmdUI* ui) {
  static const fw::CommandMapEntry<CTolvaneDoc> map[] = {
      {res::ID_FILE_SAVE, &CTolvaneDoc::OnFileSave, &CTolvaneDoc::OnUpdateFileSave},
      {res::ID_FILE_SAVE_AS, &CTolvaneDoc::OnFileSaveAs, &CTolvaneDoc::OnUpdateListNotEmpty},
      {res::ID_FILE_SAVE_TEXT, &CTolvaneDoc::OnFileSaveText, &CTolvaneDoc::OnUpdateListNotEmpty},
      {res::ID_EDIT_UNDO, &CTolvaneDoc::OnEditUndo, &CTolvaneDoc::OnUpdateEditUndo},
      {res::ID_EDIT_CLEAR_ALL, &CTolvaneDoc::OnEditClearAll, &CTolvaneDoc::OnUpdateListNotEmpty},
  };
  return fw::DispatchCommandMap(this, map, id, ui) || fw::CDocument::OnCmdMsg(id, ui);
}

void CTolvaneDoc::OnUpdateListNotEmpty(fw::CCmdUI* ui) { ui->Enable(!m_itemList.IsEmpty()); }

void CTolvaneDoc::OnUpdateFileSave(fw::CCmdUI* ui) {
  ui->Enable(!m_itemList.IsEmpty() && IsModified());
}

void CTolvaneDoc::OnUpdateEditUndo(fw::CCmdUI* ui) { ui->Enable(!m_strDeleted.empty()); }

}  // namespace doc
