#pragma once

#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "document/journal_format.h"
#include "document/list_journal.h"
#include "platform/journal_file.h"

namespace doc {

inline constexpr std::string_view kJournalSuffix = ".journal";

// A list that a run which did not end normally left in its journal, with that journal,
// now held by this run.
struct RecoveredList {
  JournalContent content;
  std::unique_ptr<platform::JournalFile> file;
};

struct LeftJournals {
  std::vector<std::unique_ptr<RecoveredList>> lists;
  // Journals that could not be read, set aside under these names.
  std::vector<std::string> unreadable;
};

// The folder of the recovery journals, one file per modified list, and whether
// journalling still goes on in this run.
// The items of the list file a journal starts from, when the file is still in the state
// the journal names (a JournalBaseLoader).
bool LoadJournalBase(const std::string& path, const platform::FileIdentity& file,
                     CClipList& list);

class JournalStore {
 public:
  explicit JournalStore(std::string folder);

  const std::string& Folder() const { return m_strFolder; }

  // A journal for `list` that makes its file at the list's first change, starting from
  // `base`; null once journalling has stopped.
  std::unique_ptr<ListJournal> Arm(const CClipList& list, JournalBase base);
  // A new journal for `list` starting now with a snapshot of it, or null once journalling
  // has stopped. When the file cannot be made, `failedPath` names what could not be written.
  std::unique_ptr<ListJournal> Start(const CClipList& list, const std::string& title,
                                     const std::string& path, std::string& failedPath);
  // A new journal file; null once journalling has stopped (`error` 0) or when it cannot be
  // made (`error` says why).
  std::unique_ptr<platform::JournalFile> MakeFile(int& error);
  // Goes on with a recovered list's journal, which now holds `list`.
  static std::unique_ptr<ListJournal> Continue(const CClipList& list, RecoveredList& recovered);

  // The journals that no running program holds, oldest change first. Empty ones are
  // removed; unreadable ones are set aside, never deleted.
  LeftJournals TakeLeftJournals();

  // Stops journalling for the rest of the run; true the first time, when the user is told.
  bool Stop();
  bool IsStopped() const { return m_bStopped; }

 private:
  std::string m_strFolder;
  bool m_bStopped = false;
};

}  // namespace doc
