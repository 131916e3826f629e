#include "framework/safe_file_writer.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <string_view>

#include "framework/file_exception.h"

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
  TempFile(const std::string& target, const std::string& pathForErrors) {
    m_name = DirectoryOf(target) + "/" + kSaveTempPrefix + "XXXXXX";
    m_fd = ::mkstemp(m_name.data());
    if (m_fd < 0) {
      const int error = errno;
      // A folder that is not there is a wrong path, not a missing file.
      if (error == ENOENT) throw CFileException(FileCause::badPath, error, pathForErrors);
      throw CFileException::FromErrno(error, pathForErrors);
    }
  }
  ~TempFile() {
    if (m_fd >= 0) ::close(m_fd);
    if (!m_bCommitted) ::unlink(m_name.c_str());
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

void SaveFileSafely(const std::string& path, const std::function<void(CArchive&)>& write) {
  const std::string target = ResolveSaveTarget(path);
  TempFile temp(target, path);
  GiveModeOf(temp.Fd(), target, path);
  CFdStream stream(temp.Fd(), path);
  CArchive ar(stream, CArchive::store);
  write(ar);
  ar.Close();
  temp.Commit(target, path);
  SyncDirectory(DirectoryOf(target));
}

}  // namespace fw
