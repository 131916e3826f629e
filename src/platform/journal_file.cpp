#include "platform/journal_file.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <utility>

#include "platform/atomic_file.h"
#include "platform/regular_file.h"

namespace platform {
namespace {

constexpr std::string_view kAsideSuffix = ".unreadable";
// A journal file being made, before it is locked.
constexpr std::string_view kMakingSuffix = ".new";

bool MakeFolder(const std::string& folder) {
  std::size_t at = 0;
  while ((at = folder.find('/', at + 1)) != std::string::npos) {
    ::mkdir(folder.substr(0, at).c_str(), 0700);
  }
  return ::mkdir(folder.c_str(), 0700) == 0 || errno == EEXIST;
}

// A new or removed name is durable only once its folder is synced. Best effort, as for
// saved files.
void SyncFolderOf(const std::string& path) {
  const int fd = ::open(ParentFolder(path).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0) return;
  ::fsync(fd);
  ::close(fd);
}

bool ReadAll(int fd, std::string& content) {
  char buffer[65536];
  for (;;) {
    const ssize_t n = ::read(fd, buffer, sizeof buffer);
    if (n == 0) return true;
    if (n < 0) {
      if (errno == EINTR) continue;
      return false;
    }
    content.append(buffer, static_cast<std::size_t>(n));
  }
}

// Whether `fd` is still the file at `path`: another program may have removed or replaced
// it between our open and our lock.
bool StillAt(int fd, const std::string& path) {
  struct stat open {};
  struct stat named {};
  return ::fstat(fd, &open) == 0 && ::lstat(path.c_str(), &named) == 0 &&
         open.st_dev == named.st_dev && open.st_ino == named.st_ino;
}

void RemoveIfUnlocked(const std::string& path) {
  const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_NOFOLLOW | O_CLOEXEC);
  if (fd < 0) return;
  if (::flock(fd, LOCK_EX | LOCK_NB) == 0 && StillAt(fd, path)) ::unlink(path.c_str());
  ::close(fd);
}

}  // namespace

std::string JournalFolder() {
  const char* state = std::getenv("XDG_STATE_HOME");
  if (state && state[0] == '/') return std::string(state) + "/tolvane";
  const char* home = std::getenv("HOME");
  return std::string(home ? home : "") + "/.local/state/tolvane";
}

JournalFile::JournalFile(int fd, std::string path, std::string_view suffix)
    : m_strPath(std::move(path)), m_strSuffix(suffix), m_fd(fd) {
  m_thread = std::thread([this] { Run(); });
}

std::unique_ptr<JournalFile> JournalFile::Create(const std::string& folder,
                                                 std::string_view suffix) {
  return std::unique_ptr<JournalFile>(new JournalFile(-1, folder, suffix));
}

int JournalFile::MakeFile() {
  const std::string folder = m_strPath;
  // Made under a name that no start takes for a journal, locked, and only then named as
  // one: a start that looks in between never sees it unlocked.
  const std::string making = std::string(kMakingSuffix);
  std::string path = folder + "/XXXXXX" + m_strSuffix + making;
  int fd = ::mkostemps(path.data(), static_cast<int>(m_strSuffix.size() + making.size()),
                       O_CLOEXEC);
  if (fd < 0 && errno == ENOENT) {
    if (!MakeFolder(folder)) return errno;
    path = folder + "/XXXXXX" + m_strSuffix + making;
    fd = ::mkostemps(path.data(), static_cast<int>(m_strSuffix.size() + making.size()),
                     O_CLOEXEC);
  }
  if (fd < 0) return errno;
  ::flock(fd, LOCK_EX | LOCK_NB);
  std::string named = path.substr(0, path.size() - making.size());
  if (::rename(path.c_str(), named.c_str()) != 0) {
    const int error = errno;
    ::unlink(path.c_str());
    ::close(fd);
    return error;
  }
  m_fd = fd;
  std::lock_guard lock(m_mutex);
  m_strPath = std::move(named);
  return 0;
}

std::unique_ptr<JournalFile> JournalFile::Adopt(int fd, std::string path,
                                                std::size_t validLength) {
  // A torn last record would hide whatever is appended after it.
  int error = 0;
  if (::ftruncate(fd, static_cast<off_t>(validLength)) != 0 ||
      ::lseek(fd, static_cast<off_t>(validLength), SEEK_SET) < 0) {
    error = errno;
  }
  auto file = std::unique_ptr<JournalFile>(new JournalFile(fd, std::move(path)));
  std::lock_guard lock(file->m_mutex);
  file->m_nError = error;
  return file;
}

JournalFile::~JournalFile() {
  {
    std::lock_guard lock(m_mutex);
    m_bStop = true;
  }
  m_wake.notify_one();
  if (m_thread.joinable()) m_thread.join();
  if (m_fd >= 0) ::close(m_fd);
}

void JournalFile::Append(std::string bytes) {
  std::unique_lock lock(m_mutex);
  if (m_nError != 0 || m_bRemove) return;
  if (!m_strPending.empty()) {
    m_strPending.append(bytes);
    return;
  }
  m_strPending = std::move(bytes);
  // The thread sleeps while there is nothing to write: the first bytes after a pause wake
  // it. While changes keep coming it looks for them at each interval on its own.
  if (m_bTicking) return;
  lock.unlock();
  m_wake.notify_one();
}

void JournalFile::Compact(Rewrite rewrite) {
  {
    std::lock_guard lock(m_mutex);
    if (m_nError != 0 || m_bRemove) return;
    m_rewrite = std::move(rewrite);
    m_nRewriteAt = m_strPending.size();
  }
  m_wake.notify_one();
}

void JournalFile::Flush() {
  std::unique_lock lock(m_mutex);
  const unsigned long long wanted = ++m_nFlushWanted;
  m_wake.notify_one();
  m_written.wait(lock, [&] { return m_nFlushDone >= wanted || m_bStop; });
}

void JournalFile::Remove() {
  {
    std::lock_guard lock(m_mutex);
    m_bRemove = true;
    m_bStop = true;
    std::string().swap(m_strPending);
  }
  m_wake.notify_one();
  m_thread.join();
}

int JournalFile::Error() const {
  std::lock_guard lock(m_mutex);
  return m_nError;
}

std::string JournalFile::Path() const {
  std::lock_guard lock(m_mutex);
  return m_strPath;
}

void JournalFile::Run() {
  // The file is made here, not on the thread that asked for it.
  const int made = m_fd < 0 ? MakeFile() : 0;
  std::unique_lock lock(m_mutex);
  if (made != 0) m_nError = made;
  const auto work = [this] {
    return m_bStop || m_nFlushWanted > m_nFlushDone || !m_strPending.empty() || m_rewrite;
  };
  std::chrono::steady_clock::time_point tick;
  for (;;) {
    // Asleep while there is nothing to write, so that an idle list costs no wake-ups but
    // the one for the sync of what was written last; then the batch gathers for the
    // interval. While each interval brings changes, the thread wakes once an interval,
    // not once more for each first change.
    if (!m_bTicking) {
      if (!m_bUnsynced) {
        m_wake.wait(lock, work);
      } else if (!m_wake.wait_until(lock, m_syncDue, work)) {
        if (m_nError == 0) {
          lock.unlock();
          const int error = SyncWritten();
          lock.lock();
          if (error != 0) m_nError = error;
        }
        continue;
      }
      tick = std::chrono::steady_clock::now() + kJournalSyncInterval;
    }
    m_wake.wait_until(lock, tick, [this] { return m_bStop || m_nFlushWanted > m_nFlushDone; });
    tick = std::chrono::steady_clock::now() + kJournalSyncInterval;
    // An interval without a change ends the ticking; the sleep above then syncs.
    m_bTicking = !m_strPending.empty() || m_rewrite;
    if (m_bRemove) {
      // After any write under way: a replacement renamed in later would bring it back.
      if (m_fd >= 0) {
        ::unlink(m_strPath.c_str());
        SyncFolderOf(m_strPath);
      }
      return;
    }
    std::string batch;
    batch.swap(m_strPending);
    const Rewrite rewrite = std::exchange(m_rewrite, nullptr);
    const std::size_t rewriteAt = m_nRewriteAt;
    const unsigned long long wanted = m_nFlushWanted;
    // Flush and the end of the journal want everything on the disk now.
    const bool syncNow = wanted > m_nFlushDone || m_bStop;
    if (m_nError == 0) {
      lock.unlock();
      int error = 0;
      if (rewrite) {
        error = CompactBatch(rewrite, batch, rewriteAt);
      } else if (!batch.empty()) {
        error = WriteBatch(batch, false);
      }
      if (error == 0 && (syncNow || std::chrono::steady_clock::now() >= m_syncDue)) {
        error = SyncWritten();
      }
      lock.lock();
      if (error != 0) m_nError = error;
    }
    m_nFlushDone = wanted;
    m_written.notify_all();
    // A removal asked for during the write is done at the top of the loop.
    if (m_bStop && !m_bRemove && m_strPending.empty()) return;
  }
}

int JournalFile::SyncWritten() {
  if (!std::exchange(m_bUnsynced, false)) return 0;
  if (::fdatasync(m_fd) != 0) return errno;
  // A power cut must not take the new file's name away with what it holds.
  if (!std::exchange(m_bNamed, true)) SyncFolderOf(m_strPath);
  return 0;
}

int JournalFile::CompactBatch(const Rewrite& rewrite, std::string_view batch, std::size_t at) {
  if (at > 0) {
    if (const int error = WriteToEnd(m_fd, batch.substr(0, at))) return error;
  }
  std::string bytes;
  if (::lseek(m_fd, 0, SEEK_SET) != 0 || !ReadAll(m_fd, bytes)) return errno;
  std::string rewritten;
  if (!rewrite(bytes, rewritten)) return EILSEQ;
  std::string().swap(bytes);
  rewritten.append(batch.substr(at));
  return WriteBatch(rewritten, true);
}

int JournalFile::WriteBatch(std::string_view bytes, bool replace) {
  if (!replace) {
    if (const int error = WriteToEnd(m_fd, bytes)) return error;
    if (!std::exchange(m_bUnsynced, true)) {
      m_syncDue = std::chrono::steady_clock::now() + kJournalDiskSyncInterval;
    }
    return 0;
  }
  FileReplacement file;
  if (const int error = file.Begin(m_strPath, {})) return error;
  // The new file is locked from its start (FileReplacement locks it); a second descriptor
  // keeps it open, and locked, once the replacement has closed its own.
  const int fd = ::dup(file.Fd());
  if (fd < 0) return errno;
  int error = WriteToEnd(file.Fd(), bytes);
  if (error == 0) error = file.Commit();
  if (error != 0) {
    ::close(fd);
    return error;
  }
  ::fcntl(fd, F_SETFD, FD_CLOEXEC);
  ::close(m_fd);
  m_fd = fd;
  // The replacement is on the disk as a whole, its name included.
  m_bUnsynced = false;
  return 0;
}

std::vector<LeftJournalFile> ClaimLeftJournalFiles(const std::string& folder,
                                                   std::string_view suffix) {
  std::vector<LeftJournalFile> files;
  DIR* dir = ::opendir(folder.c_str());
  if (!dir) return files;
  const std::string making = std::string(suffix) + std::string(kMakingSuffix);
  while (const dirent* entry = ::readdir(dir)) {
    const std::string_view name = entry->d_name;
    if (name.ends_with(making)) {
      // Left by a run that ended between making a journal and naming it: nothing in it.
      RemoveIfUnlocked(folder + "/" + std::string(name));
      continue;
    }
    if (!name.ends_with(suffix) || name.size() == suffix.size()) continue;
    LeftJournalFile file;
    file.path = folder + "/" + std::string(name);
    const int fd = OpenRegularFile(file.path, O_RDWR | O_CLOEXEC | O_NOFOLLOW);
    if (fd < 0) {
      // Gone meanwhile, or there but not to be opened: then it is named as unreadable.
      if (errno != ENOENT) files.push_back(std::move(file));
      continue;
    }
    // Held by a running program, or removed or replaced before the lock was ours.
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0 || !StillAt(fd, file.path)) {
      ::close(fd);
      continue;
    }
    if (!ReadAll(fd, file.content)) {
      ::close(fd);
      file.content.clear();
      files.push_back(std::move(file));
      continue;
    }
    file.fd = fd;
    files.push_back(std::move(file));
  }
  ::closedir(dir);
  return files;
}

std::string SetJournalFileAside(const std::string& path) {
  const std::string aside = path + std::string(kAsideSuffix);
  return ::rename(path.c_str(), aside.c_str()) == 0 ? aside : path;
}

}  // namespace platform
