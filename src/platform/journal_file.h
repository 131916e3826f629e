#pragma once

#include <chrono>
#include <condition_variable>
#include <cstddef>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

namespace platform {

// The folder of the recovery journals: $XDG_STATE_HOME/tolvane when that is an absolute
// path, else ~/.local/state/tolvane.
std::string JournalFolder();

// How long appended bytes may wait before they are written: once written, the system
// keeps them through a kill or a crash of the program.
inline constexpr auto kJournalSyncInterval = std::chrono::milliseconds(100);
// How long written bytes may wait before they are synced to the disk, which only a power
// cut or a crash of the system needs; a sync costs more than the write.
inline constexpr auto kJournalDiskSyncInterval = std::chrono::seconds(1);

// A journal file that only grows, written by a thread of its own: Append only adds bytes
// to a buffer, and the thread writes what has gathered kJournalSyncInterval after the
// first of them, and syncs it kJournalDiskSyncInterval after the first unsynced write,
// so the caller never waits for the disk. The file is locked (flock) while this object
// holds it: a start of the program takes over only journals that no running program
// holds. After a write fails, nothing more is written and Error() says why.
class JournalFile {
 public:
  // A new, empty journal named "<folder>/XXXXXX<suffix>", the folder made when missing.
  // The file is made on the journal's thread: when it cannot be, Error() says why and
  // Path() names the folder.
  static std::unique_ptr<JournalFile> Create(const std::string& folder, std::string_view suffix);
  // Goes on with a journal left by an earlier run: `fd` is open for writing and locked;
  // the bytes after `validLength` are cut off first.
  static std::unique_ptr<JournalFile> Adopt(int fd, std::string path, std::size_t validLength);

  // Writes what waits, then lets the file go; the file stays.
  ~JournalFile();
  JournalFile(const JournalFile&) = delete;
  JournalFile& operator=(const JournalFile&) = delete;

  std::string Path() const;
  // Adds `bytes` to what waits to be written (taking the buffer itself when nothing waits).
  void Append(std::string bytes);
  // Gets the bytes written so far and gives what the file is to hold instead; false when
  // they cannot be rewritten.
  using Rewrite = std::function<bool(std::string_view written, std::string& rewritten)>;
  // Rewrites the file on its own thread, so that the caller never waits for it: once
  // everything appended before this call is written, `rewrite` turns the file's bytes into
  // what replaces the file (as a whole, atomically), and what is appended after this call
  // follows. A rewrite that fails stops the journal as a failed write does.
  void Compact(Rewrite rewrite);
  // Waits until everything appended so far is written and synced.
  void Flush();
  // Removes the file once a write under way is done; nothing more is written.
  void Remove();
  // 0, or the errno of the write that stopped the journal.
  int Error() const;

 private:
  // Without a descriptor, `path` is the folder to make a file "XXXXXX<suffix>" in.
  JournalFile(int fd, std::string path, std::string_view suffix = {});
  void Run();
  int MakeFile();
  int WriteBatch(std::string_view bytes, bool replace);
  // Syncs what was written since the last sync.
  int SyncWritten();
  // Writes the first `at` bytes of `batch`, rewrites the file, then adds the rest.
  int CompactBatch(const Rewrite& rewrite, std::string_view batch, std::size_t at);

  std::string m_strPath;  // changed by the thread only, under the mutex
  const std::string m_strSuffix;  // of a file still to be made
  int m_fd;  // the thread's alone while it runs
  bool m_bNamed = false;  // the folder has been synced since the file was made
  // Written and not yet synced, and when the sync is due (the thread's alone).
  bool m_bUnsynced = false;
  std::chrono::steady_clock::time_point m_syncDue;
  mutable std::mutex m_mutex;
  std::condition_variable m_wake;
  std::condition_variable m_written;
  std::string m_strPending;
  Rewrite m_rewrite;
  std::size_t m_nRewriteAt = 0;  // where in m_strPending the rewrite comes
  bool m_bStop = false;
  bool m_bRemove = false;
  // The thread looks for changes at each interval by itself, so Append need not wake it.
  bool m_bTicking = false;
  unsigned long long m_nFlushWanted = 0;
  unsigned long long m_nFlushDone = 0;
  int m_nError = 0;
  std::thread m_thread;
};

// A journal that an earlier run left: locked now by this process through `fd`.
struct LeftJournalFile {
  int fd = -1;
  std::string path;
  std::string content;
};

// Takes the files named "*<suffix>" in `folder` that no running program holds locked,
// each locked and read. A file that cannot be read is still returned, with fd -1.
std::vector<LeftJournalFile> ClaimLeftJournalFiles(const std::string& folder,
                                                   std::string_view suffix);

// Renames an unreadable journal so that it is kept but never taken again; returns the
// new path (the old one when it cannot be renamed).
std::string SetJournalFileAside(const std::string& path);

}  // namespace platform
