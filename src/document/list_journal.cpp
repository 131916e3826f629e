#include "document/list_journal.h"

#include <algorithm>
#include <cerrno>
#include <new>

#include "document/journal_format.h"
#include "platform/journal_file.h"

namespace doc {
namespace {

std::size_t SnapshotSize(const CClipList& list) {
  std::size_t size = 0;
  for (int i = 0; i < list.GetCount(); ++i) size += 4 + list.GetAt(i).size();
  return size;
}

}  // namespace

ListJournal::ListJournal(const CClipList& list, std::unique_ptr<platform::JournalFile> file,
                         const std::string& title, const std::string& path)
    : ListJournal(list, std::move(file), title, path, 0) {
  std::string start = JournalStartRecords(JournalHeaderRecord(m_strTitle, m_strPath), list);
  m_nBytes = start.size();
  m_pFile->AppendBuffer(std::move(start));
  m_nNextCheck = std::max(2 * m_nBytes, kMinCompactedJournalSize);
}

ListJournal::ListJournal(const CClipList& list, std::unique_ptr<platform::JournalFile> file,
                         std::string title, std::string path, std::size_t length)
    : m_pFile(std::move(file)),
      m_strTitle(std::move(title)),
      m_strPath(std::move(path)),
      m_nBytes(length),
      m_nNextCheck(std::max(length + 1, kMinCompactedJournalSize)) {
  Observe(&list);
}

ListJournal::~ListJournal() = default;

void ListJournal::End() {
  StopRecording();
  m_pFile->Remove();
}

void ListJournal::StopRecording() { Observe(nullptr); }

int ListJournal::Error() const { return m_nError != 0 ? m_nError : m_pFile->Error(); }

const std::string& ListJournal::FilePath() const { return m_pFile->Path(); }

void ListJournal::Flush() { m_pFile->Flush(); }

template <typename MakeRecord>
void ListJournal::Record(MakeRecord makeRecord) noexcept {
  try {
    const std::string record = makeRecord();
    m_pFile->Append(record);
    m_nBytes += record.size();
    if (m_nBytes >= m_nNextCheck) CompactWhenLarge();
  } catch (const std::bad_alloc&) {
    // A journal that missed a change would bring back a wrong list.
    m_nError = ENOMEM;
    StopRecording();
  }
}

void ListJournal::CompactWhenLarge() {
  const CClipList& list = *ObservedList();
  const std::size_t listSize = SnapshotSize(list);
  if (m_nBytes > 2 * listSize) {
    std::string snapshot = JournalStartRecords(JournalHeaderRecord(m_strTitle, m_strPath), list);
    m_nBytes = snapshot.size();
    m_pFile->Replace(std::move(snapshot));
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
