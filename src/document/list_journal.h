#pragma once

#include <cstddef>
#include <memory>
#include <string>

#include "document/clip_list.h"

namespace platform {
class JournalFile;
}

namespace doc {

// Journals below this size are never compacted: a small list would otherwise be rewritten
// at almost every change.
inline constexpr std::size_t kMinCompactedJournalSize = 256 * 1024;

// Records every change of a modified list in its journal file as it happens, at the cost
// of the changed item only; the file's thread writes them. When the journal has grown
// past twice the list's size, it is rewritten as one snapshot.
class ListJournal : public CClipList::Observer {
 public:
  // Starts the journal of `list` in an empty `file`: header and snapshot first.
  ListJournal(const CClipList& list, std::unique_ptr<platform::JournalFile> file,
              const std::string& title, const std::string& path);
  // Goes on with a journal whose first `length` bytes already hold `list`.
  ListJournal(const CClipList& list, std::unique_ptr<platform::JournalFile> file,
              std::string title, std::string path, std::size_t length);
  // The file stays (as after a crash); End() removes it.
  ~ListJournal() override;

  // The list's journal ends: the file is removed.
  void End();
  // Records nothing more; the file stays until End().
  void StopRecording();
  bool IsRecording() const { return ObservedList() != nullptr; }
  // 0, or the errno of the failure that stopped the journal.
  int Error() const;
  const std::string& FilePath() const;
  // Waits until every change so far is written and synced.
  void Flush();

  void OnInserted(int position) noexcept override;
  void OnRemoved(int position) noexcept override;
  void OnReplaced(int position) noexcept override;
  void OnRemovedAll() noexcept override;

 private:
  template <typename MakeRecord>
  void Record(MakeRecord makeRecord) noexcept;
  void CompactWhenLarge();

  std::unique_ptr<platform::JournalFile> m_pFile;
  std::string m_strTitle;
  std::string m_strPath;
  // What the file holds and will hold once the waiting bytes are written.
  std::size_t m_nBytes = 0;
  // The size at which the journal is next measured against the list.
  std::size_t m_nNextCheck = kMinCompactedJournalSize;
  int m_nError = 0;
};

}  // namespace doc
