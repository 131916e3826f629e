#include "document/list_journal.h"

#include <algorithm>
#include <cerrno>
#include <new>

#include "document/journal_format.h"
#include "document/journal_store.h"
#include "platform/journal_file.h"

namespace doc {
namespace {

std::size_t SnapshotSize(const CClipList& list) {
  std::size_t size = 0;
  for (int i = 0; i < list.GetCount(); ++i) size += 4 + list.GetAt(i).size();
  return size;
}

// Runs on the journal file's thread: the journal as written, replayed (from its file, when
// it starts from one) and written again as its header and one snapshot.
bool RewriteAsSnapshot(std::string_view written, std::string& rewritten) {
  JournalContent content;
  if (ReadJournal(written, content, LoadJournalBase) != JournalReadStatus::Ok) return false;
  rewritten = JournalStartRecords(JournalHeaderRecord(content.title, content.path), content.list);
  return true;
}

}  // namespace

ListJournal::ListJournal(const CClipList& list, JournalStore& store, JournalBase base)
    : m_pStore(&store), m_base(std::move(base)) {
  Observe(&list);
}

ListJournal::ListJournal(const CClipList& list, std::unique_ptr<platform::JournalFile> file,
                         std::string title, std::string path, std::size_t length)
    : m_pFile(std::move(file)), m_nBytes(length) {
  m_base.title = std::move(title);
  m_base.path = std::move(path);
  Observe(&list);
}

ListJournal::~ListJournal() = default;

bool ListJournal::StartWithSnapshot() {
  m_base.kind = JournalBase::Kind::Snapshot;
  try {
    Start();
  } catch (const std::bad_alloc&) {
    m_nError = ENOMEM;
  }
  return m_pFile && m_nError == 0;
}

bool ListJournal::Start() {
  int error = 0;
  m_pFile = m_pStore ? m_pStore->MakeFile(error) : nullptr;
  if (!m_pFile) {
    // Journalling has stopped for the run (error 0), or the file cannot be made: the
    // owner hears of it through Error() once the change is done.
    m_nError = error;
    if (error == 0) StopRecording();
    return false;
  }
  std::string start = JournalHeaderRecord(m_base.title, m_base.path);
  platform::FileIdentity now;
  if (m_base.kind == JournalBase::Kind::File &&
      !(platform::IdentifyFile(m_base.path, now) && now == m_base.file)) {
    // The file was written since the list was read or saved: it no longer holds the list.
    m_base.kind = JournalBase::Kind::Snapshot;
  }
  switch (m_base.kind) {
    case JournalBase::Kind::Empty:
      Append(std::move(start));
      return true;
    case JournalBase::Kind::File:
      Append(start + JournalBaseFileRecord(m_base.path, m_base.file));
      // The items are copied out of the file on the file's thread, while it still holds
      // what the list started from. The snapshot is about the file's size.
      m_pFile->Compact(RewriteAsSnapshot);
      m_nBytes = start.size() + m_base.file.size;
      return true;
    case JournalBase::Kind::Snapshot:
      start = JournalStartRecords(std::move(start), *ObservedList());
      Append(std::move(start));
      return false;
  }
  return false;
}

void ListJournal::End() {
  StopRecording();
  if (m_pFile) m_pFile->Remove();
}

void ListJournal::StopRecording() { Observe(nullptr); }

int ListJournal::Error() const {
  if (m_nError != 0 || !m_pFile) return m_nError;
  return m_pFile->Error();
}

std::string ListJournal::FilePath() const {
  if (m_pFile) return m_pFile->Path();
  return m_pStore ? m_pStore->Folder() : std::string();
}

void ListJournal::Flush() {
  if (m_pFile) m_pFile->Flush();
}

void ListJournal::Append(std::string record) {
  m_nBytes += record.size();
  m_pFile->Append(std::move(record));
}

template <typename MakeRecord>
void ListJournal::Record(MakeRecord makeRecord) noexcept {
  if (m_nError != 0) return;
  try {
    if (!m_pFile && !Start()) return;
    Append(makeRecord());
    if (m_nBytes >= m_nNextCheck) CompactWhenLarge();
  } catch (const std::bad_alloc&) {
    // A journal that missed a change would bring back a wrong list.
    m_nError = ENOMEM;
  }
}

void ListJournal::CompactWhenLarge() {
  const std::size_t listSize = SnapshotSize(*ObservedList());
  if (m_nBytes > 2 * listSize) {
    m_pFile->Compact(RewriteAsSnapshot);
    m_nBytes = listSize;
  }
  // Measured again only after half the list's size more: the measuring stays a small
  // share of the work however the list changes.
  m_nNextCheck = std::max({2 * listSize, m_nBytes + listSize / 2, kMinCompactedJournalSize});
}

void ListJournal::OnInserted(int position) noexcept {
  Record([&] { return JournalInsertRecord(position, ObservedList()->GetAt(position)); });
}

void ListJournal::OnRemoved(int position) noexcept {
  Record([&] { return JournalRemoveRecord(position); });
}

void ListJournal::OnReplaced(int position) noexcept {
  Record([&] { return JournalReplaceRecord(position, ObservedList()->GetAt(position)); });
}

void ListJournal::OnRemovedAll() noexcept {
  Record([] { return JournalClearRecord(); });
}

}  // namespace doc
