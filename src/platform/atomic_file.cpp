#include "platform/atomic_file.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <ctime>
#include <string>

namespace platform {
namespace {

// Temporary files are "<target name>.tmp<pid>-<attempt>" in the target's folder.
constexpr std::string_view kTempInfix = ".tmp";

std::string ParentFolder(const std::string& path) {
  const std::size_t slash = path.find_last_of('/');
  if (slash == std::string::npos) return ".";
  if (slash == 0) return "/";
  return path.substr(0, slash);
}

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

bool WriteAll(int fd, std::string_view data) {
  while (!data.empty()) {
    const ssize_t n = ::write(fd, data.data(), data.size());
    if (n < 0) {
      if (errno == EINTR) continue;
      return false;
    }
    data.remove_prefix(static_cast<std::size_t>(n));
  }
  return true;
}

// The rename is durable only once the folder's entry is on disk too. Best effort: some
// file systems refuse to sync a folder, and the file is in place all the same.
void SyncFolder(const std::string& folder) {
  const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0) return;
  ::fsync(fd);
  ::close(fd);
}

bool IsOurTempName(std::string_view name, std::string_view targetName) {
  if (name.size() <= targetName.size() + kTempInfix.size() ||
      name.substr(0, targetName.size()) != targetName ||
      name.substr(targetName.size(), kTempInfix.size()) != kTempInfix) {
    return false;
  }
  const std::string_view rest = name.substr(targetName.size() + kTempInfix.size());
  const std::size_t dash = rest.find('-');
  if (dash == 0 || dash == std::string_view::npos || dash + 1 == rest.size()) return false;
  for (std::size_t i = 0; i < rest.size(); ++i) {
    if (i != dash && (rest[i] < '0' || rest[i] > '9')) return false;
  }
  return true;
}

}  // namespace

int OpenRegularFile(const std::string& path, int flags) {
  // O_NONBLOCK keeps open() from waiting for a FIFO's writer or a device; it is cleared
  // again once the file is known to be a regular one.
  const int fd = ::open(path.c_str(), flags | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
  if (fd < 0) return -1;
  struct stat info {};
  int error = 0;
  if (::fstat(fd, &info) != 0) {
    error = errno;
  } else if (!S_ISREG(info.st_mode)) {
    error = S_ISDIR(info.st_mode) ? EISDIR : ENXIO;
  } else if ((flags & O_NONBLOCK) == 0 &&
             ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK) != 0) {
    error = errno;
  }
  if (error == 0) return fd;
  ::close(fd);
  errno = error;
  return -1;
}

bool MayWriteFile(const std::string& path) {
  return ::faccessat(AT_FDCWD, path.c_str(), W_OK, AT_EACCESS) == 0;
}

FileReadResult ReadRegularFile(const std::string& path, std::size_t maxSize,
                               std::string& content) {
  content.clear();
  const int fd = OpenRegularFile(path, O_RDONLY);
  if (fd < 0) return errno == ENOENT ? FileReadResult::Missing : FileReadResult::Failed;
  struct stat info {};
  if (::fstat(fd, &info) != 0 || info.st_size < 0 ||
      static_cast<unsigned long long>(info.st_size) > maxSize) {
    ::close(fd);
    return FileReadResult::Failed;
  }
  try {
    // One byte more than the file holds, so that the end shows without growing the buffer.
    content.resize(static_cast<std::size_t>(info.st_size) + 1);
    std::size_t got = 0;
    while (true) {
      // One byte of room beyond the cap tells a file that grew past it since fstat.
      if (got == content.size()) {
        if (got > maxSize) break;
        content.resize(got + 64 * 1024 > maxSize + 1 ? maxSize + 1 : got + 64 * 1024);
      }
      const ssize_t n = ::read(fd, content.data() + got, content.size() - got);
      if (n == 0) break;
      if (n < 0) {
        if (errno == EINTR) continue;
        ::close(fd);
        return FileReadResult::Failed;
      }
      got += static_cast<std::size_t>(n);
    }
    ::close(fd);
    content.resize(got);
    return got > maxSize ? FileReadResult::Failed : FileReadResult::Ok;
  } catch (...) {
    ::close(fd);
    content.clear();
    return FileReadResult::Failed;
  }
}

std::string FollowSymbolicLinks(const std::string& path) {
  std::string current = path;
  for (int depth = 0; depth < 40; ++depth) {
    struct stat info {};
    if (::lstat(current.c_str(), &info) != 0 || !S_ISLNK(info.st_mode)) return current;
    std::string target(PATH_MAX, '\0');
    const ssize_t n = ::readlink(current.c_str(), target.data(), target.size());
    if (n <= 0 || static_cast<std::size_t>(n) >= target.size()) return path;
    target.resize(static_cast<std::size_t>(n));
    current = target.front() == '/' ? target : ParentFolder(current) + "/" + target;
  }
  return path;
}

bool ReplaceFileAtomically(const std::string& path, std::string_view content) {
  const std::string target = FollowSymbolicLinks(path);
  const std::string folder = ParentFolder(target);
  if (!MakeFolders(folder)) return false;

  struct stat old {};
  const bool hadFile = ::stat(target.c_str(), &old) == 0;
  if (hadFile && !MayWriteFile(target)) return false;

  std::string temp;
  int fd = -1;
  for (int attempt = 0; attempt < 100 && fd < 0; ++attempt) {
    temp = target + std::string(kTempInfix) + std::to_string(::getpid()) + "-" +
           std::to_string(attempt);
    fd = ::open(temp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (fd < 0 && errno != EEXIST) return false;
  }
  if (fd < 0) return false;
  // The lock tells RemoveStaleTempFiles of another run that this file is being written.
  ::flock(fd, LOCK_EX | LOCK_NB);

  bool ok = WriteAll(fd, content);
  if (ok && hadFile) ok = ::fchmod(fd, old.st_mode & 07777) == 0;
  if (ok) ok = ::fsync(fd) == 0;
  if (ok) ok = ::rename(temp.c_str(), target.c_str()) == 0;
  if (!ok) ::unlink(temp.c_str());
  if (::close(fd) != 0) ok = false;
  if (ok) SyncFolder(folder);
  return ok;
}

int RemoveStaleTempFiles(const std::string& path, int minAgeSeconds) {
  const std::string target = FollowSymbolicLinks(path);
  const std::string targetName = FileName(target);
  return RemoveUnlockedOldFiles(
      ParentFolder(target),
      [&targetName](std::string_view name) { return IsOurTempName(name, targetName); },
      minAgeSeconds);
}

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

}  // namespace platform
