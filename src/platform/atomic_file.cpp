#include "platform/atomic_file.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <ctime>
#include <functional>

#include "platform/regular_file.h"

namespace platform {
namespace {

// Older versions wrote the settings through "<target name>.tmp<pid>-<attempt>".
constexpr std::string_view kOldTempInfix = ".tmp";

std::string FileName(const std::string& path) {
  const std::size_t slash = path.find_last_of('/');
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

bool IsFolder(const std::string& path) {
  struct stat info {};
  return ::stat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

bool MakeFolders(const std::string& folder) {
  if (IsFolder(folder)) return true;
  const std::string parent = ParentFolder(folder);
  if (parent != folder && !MakeFolders(parent)) return false;
  if (::mkdir(folder.c_str(), 0777) == 0) return true;
  return errno == EEXIST && IsFolder(folder);
}

mode_t NewFileMode() {
  // umask can only be read by setting it; put it straight back.
  const mode_t mask = ::umask(0);
  ::umask(mask);
  return 0666 & ~mask;
}

// Gives the temporary file the target's owner (where we may: root saving another user's
// file) and permission bits, or a new file's bits.
int GiveModeOf(int fd, const std::string& target) {
  struct stat info {};
  if (::stat(target.c_str(), &info) != 0) {
    if (errno != ENOENT) return errno;
    return ::fchmod(fd, NewFileMode()) == 0 ? 0 : errno;
  }
  if (info.st_uid != ::geteuid() || info.st_gid != ::getegid()) {
    [[maybe_unused]] const int ignored = ::fchown(fd, info.st_uid, info.st_gid);
  }
  return ::fchmod(fd, info.st_mode & 07777) == 0 ? 0 : errno;
}

// The rename is durable only once the folder's entry is on disk too. Best effort: some
// file systems refuse to sync a folder, and the file is in place all the same.
void SyncFolder(const std::string& folder) {
  const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0) return;
  ::fsync(fd);
  ::close(fd);
}

bool FolderRefusesNewFiles(int error) {
  return error == EACCES || error == EPERM || error == EROFS;
}


// Reads the whole open file from its start; 0 or errno.
int ReadWhole(int fd, std::string& content) {
  struct stat info {};
  if (::fstat(fd, &info) != 0) return errno;
  content.assign(static_cast<std::size_t>(info.st_size), '\0');
  std::size_t done = 0;
  while (done < content.size()) {
    const ssize_t n = ::pread(fd, content.data() + done, content.size() - done,
                              static_cast<off_t>(done));
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) return errno;
    if (n == 0) break;
    done += static_cast<std::size_t>(n);
  }
  content.resize(done);
  return 0;
}

void WriteAllAt(int fd, const std::string& bytes) {
  std::size_t done = 0;
  while (done < bytes.size()) {
    const ssize_t n = ::pwrite(fd, bytes.data() + done, bytes.size() - done,
                               static_cast<off_t>(done));
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return;
    done += static_cast<std::size_t>(n);
  }
}

bool IsOldTempName(std::string_view name, std::string_view targetName) {
  if (name.size() <= targetName.size() + kOldTempInfix.size() ||
      name.substr(0, targetName.size()) != targetName ||
      name.substr(targetName.size(), kOldTempInfix.size()) != kOldTempInfix) {
    return false;
  }
  const std::string_view rest = name.substr(targetName.size() + kOldTempInfix.size());
  const std::size_t dash = rest.find('-');
  if (dash == 0 || dash == std::string_view::npos || dash + 1 == rest.size()) return false;
  for (std::size_t i = 0; i < rest.size(); ++i) {
    if (i != dash && (rest[i] < '0' || rest[i] > '9')) return false;
  }
  return true;
}

// In `folder`, removes the regular files whose names `isOurs` accepts that are at least
// minAgeSeconds old and not locked (flock) by a writer that is still at work.
int RemoveUnlockedOldFiles(const std::string& folder,
                           const std::function<bool(std::string_view name)>& isOurs,
                           int minAgeSeconds) {
  DIR* dir = ::opendir(folder.c_str());
  if (dir == nullptr) return 0;
  const std::time_t now = std::time(nullptr);
  int removed = 0;
  while (const dirent* entry = ::readdir(dir)) {
    if (!isOurs(entry->d_name)) continue;
    const std::string temp = folder + "/" + entry->d_name;
    const int fd = ::open(temp.c_str(), O_RDONLY | O_NONBLOCK | O_NOFOLLOW | O_CLOEXEC);
    if (fd < 0) continue;
    struct stat info {};
    // A young file may be one whose writer has not taken its lock yet.
    const bool stale = ::fstat(fd, &info) == 0 && S_ISREG(info.st_mode) &&
                       now - info.st_mtime >= minAgeSeconds &&
                       ::flock(fd, LOCK_EX | LOCK_NB) == 0;
    if (stale && ::unlink(temp.c_str()) == 0) ++removed;
    ::close(fd);
  }
  ::closedir(dir);
  return removed;
}

}  // namespace

FileReplacement::~FileReplacement() { Abandon(); }

int FileReplacement::Begin(const std::string& path, const Options& options) {
  if (const int error = ResolveSymbolicLinks(path, m_strTarget)) return error;
  const std::string folder = ParentFolder(m_strTarget);
  if (options.makeFolders && !MakeFolders(folder)) return errno != 0 ? errno : EIO;
  struct stat info {};
  const bool exists = ::stat(m_strTarget.c_str(), &info) == 0;
  if (exists && !MayWriteFile(m_strTarget)) return EACCES;
  RemoveStaleTempFiles(m_strTarget);

  m_strTemp = folder + "/" + std::string(kTempFilePrefix) + "XXXXXX";
  m_fd = ::mkostemp(m_strTemp.data(), O_CLOEXEC);
  if (m_fd < 0) {
    const int error = errno;
    m_strTemp.clear();
    if (exists && options.rewriteInPlace && FolderRefusesNewFiles(error)) return BeginInPlace();
    return error;
  }
  // The lock tells a cleaner of another run that this file is still being written; it
  // goes with the process, so the file of a killed writer is free to be removed.
  ::flock(m_fd, LOCK_EX | LOCK_NB);
  return GiveModeOf(m_fd, m_strTarget);
}

int FileReplacement::BeginInPlace() {
  m_bInPlace = true;
  m_fd = OpenRegularFile(m_strTarget, O_RDWR);
  if (m_fd < 0) return errno;
  if (const int error = ReadWhole(m_fd, m_strOldContent)) {
    // Nothing written yet: the file is left alone.
    ::close(m_fd);
    m_fd = -1;
    return error;
  }
  if (::ftruncate(m_fd, 0) != 0 || ::lseek(m_fd, 0, SEEK_SET) != 0) return errno;
  return 0;
}

int FileReplacement::Commit() {
  if (::fsync(m_fd) != 0) return errno;
  const int fd = m_fd;
  m_fd = -1;
  if (m_bInPlace) {
    ::close(fd);
    m_bInPlace = false;
    m_strOldContent.clear();
    return 0;
  }
  if (::close(fd) != 0) return errno;
  if (::rename(m_strTemp.c_str(), m_strTarget.c_str()) != 0) return errno;
  m_strTemp.clear();
  SyncFolder(ParentFolder(m_strTarget));
  return 0;
}

void FileReplacement::Abandon() noexcept {
  if (m_bInPlace && m_fd >= 0) {
    if (::ftruncate(m_fd, 0) == 0) WriteAllAt(m_fd, m_strOldContent);
    ::fsync(m_fd);
  }
  if (m_fd >= 0) ::close(m_fd);
  m_fd = -1;
  if (!m_strTemp.empty()) ::unlink(m_strTemp.c_str());
  m_strTemp.clear();
}

bool ReplaceFileAtomically(const std::string& path, std::string_view content) {
  FileReplacement file;
  FileReplacement::Options options;
  options.makeFolders = true;
  if (file.Begin(path, options) != 0) return false;
  return WriteToEnd(file.Fd(), content) == 0 && file.Commit() == 0;
}

int WriteToEnd(int fd, std::string_view data) {
  while (!data.empty()) {
    const ssize_t n = ::write(fd, data.data(), data.size());
    if (n < 0) {
      if (errno == EINTR) continue;
      return errno;
    }
    data.remove_prefix(static_cast<std::size_t>(n));
  }
  return 0;
}

int RemoveStaleTempFiles(const std::string& path, int minAgeSeconds) {
  std::string target;
  // Links that go round: the files beside the link itself.
  if (ResolveSymbolicLinks(path, target) != 0) target = path;
  const std::string targetName = FileName(target);
  return RemoveUnlockedOldFiles(
      ParentFolder(target),
      [&targetName](std::string_view name) {
        return name.starts_with(kTempFilePrefix) || IsOldTempName(name, targetName);
      },
      minAgeSeconds);
}

}  // namespace platform
