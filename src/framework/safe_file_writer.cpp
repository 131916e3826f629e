#include "framework/safe_file_writer.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <string_view>

#include "framework/file_exception.h"
#include "platform/atomic_file.h"

namespace fw {
namespace {

constexpr int kMaxLinkDepth = 40;

std::string DirectoryOf(const std::string& path) {
  const std::size_t slash = path.rfind('/');
  if (slash == std::string::npos) return ".";
  if (slash == 0) return "/";
  return path.substr(0, slash);
}

mode_t NewFileMode() {
  // umask can only be read by setting it; put it straight back.
  const mode_t mask = ::umask(0);
  ::umask(mask);
  return 0666 & ~mask;
}

// A temporary file being written; removed unless Commit() renamed it into place.
class TempFile {
 public:
  TempFile() = default;
  // Creates the file beside `target`; false with errno set when the folder refuses it.
  bool Create(const std::string& target) {
    m_name = DirectoryOf(target) + "/" + kSaveTempPrefix + "XXXXXX";
    m_fd = ::mkostemp(m_name.data(), O_CLOEXEC);
    if (m_fd < 0) {
      const int error = errno;
      m_name.clear();
      errno = error;
      return false;
    }
    // The lock tells a cleaner of another run that this file is still being written; it
    // goes with the process, so the file of a killed save is free to be removed.
    ::flock(m_fd, LOCK_EX | LOCK_NB);
    return true;
  }
  ~TempFile() {
    if (m_fd >= 0) ::close(m_fd);
    if (!m_bCommitted && !m_name.empty()) ::unlink(m_name.c_str());
  }
  TempFile(const TempFile&) = delete;
  TempFile& operator=(const TempFile&) = delete;

  int Fd() const { return m_fd; }

  // Syncs and closes the file and renames it to `target`.
  void Commit(const std::string& target, const std::string& pathForErrors) {
    if (::fsync(m_fd) != 0) throw CFileException::FromErrno(errno, pathForErrors);
    const int fd = m_fd;
    m_fd = -1;
    if (::close(fd) != 0) throw CFileException::FromErrno(errno, pathForErrors);
    if (::rename(m_name.c_str(), target.c_str()) != 0) {
      throw CFileException::FromErrno(errno, pathForErrors);
    }
    m_bCommitted = true;
  }

 private:
  std::string m_name;
  int m_fd = -1;
  bool m_bCommitted = false;
};

void GiveModeOf(int fd, const std::string& target, const std::string& pathForErrors) {
  struct stat st;
  if (::stat(target.c_str(), &st) != 0) {
    if (errno != ENOENT) throw CFileException::FromErrno(errno, pathForErrors);
    if (::fchmod(fd, NewFileMode()) != 0) throw CFileException::FromErrno(errno, pathForErrors);
    return;
  }
  // Keep the owner where we may (root saving another user's file); failing that is fine.
  if (st.st_uid != ::geteuid() || st.st_gid != ::getegid()) {
    [[maybe_unused]] const int ignored = ::fchown(fd, st.st_uid, st.st_gid);
  }
  if (::fchmod(fd, st.st_mode & 07777) != 0) throw CFileException::FromErrno(errno, pathForErrors);
}

// Makes the rename durable. A folder that cannot be synced (some file systems refuse)
// still holds the renamed file, so failures here are not reported.
void SyncDirectory(const std::string& directory) {
  const int fd = ::open(directory.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0) return;
  ::fsync(fd);
  ::close(fd);
}

bool FolderRefusesNewFiles(int error) {
  return error == EACCES || error == EPERM || error == EROFS;
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

// Rewrites the existing `target` itself, for a folder where no temporary file can be made.
// Its old bytes are kept in memory and written back when the new ones cannot be.
void SaveInPlace(const std::string& target, const std::string& path,
                 const std::function<void(CArchive&)>& write) {
  const int fd = platform::OpenRegularFile(target, O_RDWR);
  if (fd < 0) throw CFileException::FromErrno(errno, path);
  struct Closer {
    int fd;
    ~Closer() { ::close(fd); }
  } closer{fd};
  CFdStream stream(fd, path);
  std::string old(static_cast<std::size_t>(stream.Size()), '\0');
  old.resize(stream.Read(old.data(), old.size()));
  try {
    if (::ftruncate(fd, 0) != 0 || ::lseek(fd, 0, SEEK_SET) != 0) {
      throw CFileException::FromErrno(errno, path);
    }
    CArchive ar(stream, CArchive::store);
    write(ar);
    ar.Close();
    if (::fsync(fd) != 0) throw CFileException::FromErrno(errno, path);
  } catch (...) {
    if (::ftruncate(fd, 0) == 0) WriteAllAt(fd, old);
    ::fsync(fd);
    throw;
  }
}

}  // namespace

std::string ResolveSaveTarget(const std::string& path) {
  std::string current = path;
  for (int depth = 0; depth < kMaxLinkDepth; ++depth) {
    struct stat st;
    if (::lstat(current.c_str(), &st) != 0 || !S_ISLNK(st.st_mode)) return current;
    std::string link(PATH_MAX, '\0');
    const ssize_t n = ::readlink(current.c_str(), link.data(), link.size());
    if (n < 0) return current;
    link.resize(static_cast<std::size_t>(n));
    current = link.starts_with('/') ? link : DirectoryOf(current) + "/" + link;
  }
  throw CFileException(FileCause::badPath, ELOOP, path);
}

int RemoveStaleSaveTempFiles(const std::string& path, int minAgeSeconds) {
  return platform::RemoveUnlockedOldFiles(
      DirectoryOf(ResolveSaveTarget(path)),
      [](std::string_view name) { return name.starts_with(kSaveTempPrefix); }, minAgeSeconds);
}

void SaveFileSafely(const std::string& path, const std::function<void(CArchive&)>& write) {
  const std::string target = ResolveSaveTarget(path);
  struct stat st;
  const bool exists = ::stat(target.c_str(), &st) == 0;
  if (exists && !platform::MayWriteFile(target)) {
    throw CFileException(FileCause::accessDenied, EACCES, path);
  }
  RemoveStaleSaveTempFiles(target);
  TempFile temp;
  if (!temp.Create(target)) {
    const int error = errno;
    if (exists && FolderRefusesNewFiles(error)) return SaveInPlace(target, path, write);
    // A folder that is not there is a wrong path, not a missing file.
    if (error == ENOENT) throw CFileException(FileCause::badPath, error, path);
    throw CFileException::FromErrno(error, path);
  }
  GiveModeOf(temp.Fd(), target, path);
  CFdStream stream(temp.Fd(), path);
  CArchive ar(stream, CArchive::store);
  write(ar);
  ar.Close();
  temp.Commit(target, path);
  SyncDirectory(DirectoryOf(target));
}

}  // namespace fw
