#include "platform/regular_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <string>

namespace platform {

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

std::string ParentFolder(const std::string& path) {
  const std::size_t slash = path.find_last_of('/');
  if (slash == std::string::npos) return ".";
  if (slash == 0) return "/";
  return path.substr(0, slash);
}

int ResolveSymbolicLinks(const std::string& path, std::string& target) {
  constexpr int kMaxLinkDepth = 40;
  target = path;
  for (int depth = 0; depth < kMaxLinkDepth; ++depth) {
    struct stat info {};
    if (::lstat(target.c_str(), &info) != 0 || !S_ISLNK(info.st_mode)) return 0;
    std::string link(PATH_MAX, '\0');
    const ssize_t n = ::readlink(target.c_str(), link.data(), link.size());
    if (n < 0) return 0;
    link.resize(static_cast<std::size_t>(n));
    target = link.starts_with('/') ? link : ParentFolder(target) + "/" + link;
  }
  return ELOOP;
}

bool IdentifyFile(const std::string& path, FileIdentity& identity) {
  struct stat info {};
  if (::stat(path.c_str(), &info) != 0) return false;
  identity.device = info.st_dev;
  identity.inode = info.st_ino;
  identity.size = static_cast<std::uint64_t>(info.st_size);
  identity.modifiedNs =
      static_cast<std::int64_t>(info.st_mtim.tv_sec) * 1000000000LL + info.st_mtim.tv_nsec;
  return true;
}

}  // namespace platform
