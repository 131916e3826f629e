#pragma once

#include <cstddef>
#include <memory>
#include <string>

#include "document/clip_list.h"
#include "platform/regular_file.h"

namespace platform {
class JournalFile;
}

namespace doc {

class JournalStore;

// Journals below this size are never compacted: a small list would otherwise be rewritten
// at almost every change.
inline constexpr std::size_t kMinCompactedJournalSize = 256 * 1024;

// What a list holds when its journal is armed, which the journal starts from.
struct JournalBase {
  enum class Kind {
    Empty,     // nothing
    File,      // what its file holds: the file at `path`, in the state `file`
    Snapshot,  // items known nowhere else: the journal starts with a copy of them
  };
  std::string title;
  std::string path;  // the list's file; empty for an untitled list
  Kind kind = Kind::Snapshot;
  platform::FileIdentity file;
};

// Records every change of a modified list in its journal file as it happens, at the cost
// of the changed item only; the file's thread writes them. When the journal has grown
// past twice the list's size, the file's thread rewrites it as one snapshot.
class ListJournal : public CClipList::Observer {
 public:
  // Armed: follows `list`, but makes its file only at the list's first change, starting
  // it from `base`. An empty or saved list's journal thus starts without copying the list
  // on the caller's thread; a saved list's journal is then compacted into a snapshot on the
  // file's thread, so that it no longer depends on the file.
  ListJournal(const CClipList& list, JournalStore& store, JournalBase base);
  // Goes on with a journal whose first `length` bytes already hold `list`.
  ListJournal(const CClipList& list, std::unique_ptr<platform::JournalFile> file,
              std::string title, std::string path, std::size_t length);
  // The file stays (as after a crash); End() removes it.
  ~ListJournal() override;

  // Makes the file now, starting with a snapshot of the list as it is. False, with
  // Error() set, when the file cannot be made; false too once journalling has stopped.
  bool StartWithSnapshot();
  // Whether the file has been made: the list has changed since the journal was armed.
  bool HasStarted() const { return m_pFile != nullptr; }

  // The list's journal ends: the file is removed.
  void End();
  // Records nothing more; the file stays until End().
  void StopRecording();
  bool IsRecording() const { return ObservedList() != nullptr; }
  // 0, or the errno of the failure that stopped the journal.
  int Error() const;
  // The file, or the folder it could not be made in.
  std::string FilePath() const;
  // Waits until every change so far is written and synced, a compaction included.
  void Flush();

  void OnInserted(int position) noexcept override;
  void OnRemoved(int position) noexcept override;
  void OnReplaced(int position) noexcept override;
  void OnRemovedAll() noexcept override;

 private:
  template <typename MakeRecord>
  void Record(MakeRecord makeRecord) noexcept;
  // Makes the file and writes its start; whether the change under way is still to be
  // recorded (a snapshot holds it already).
  bool Start();
  void Append(std::string record);
  void CompactWhenLarge();

  JournalStore* m_pStore = nullptr;
  JournalBase m_base;
  std::unique_ptr<platform::JournalFile> m_pFile;
  // About what the file holds and will hold once the waiting bytes are written (and a
  // rewrite asked for is done); the list's own size is measured only when it passes
  // m_nNextCheck.
  std::size_t m_nBytes = 0;
  std::size_t m_nNextCheck = kMinCompactedJournalSize;
  int m_nError = 0;
};

}  // namespace doc
