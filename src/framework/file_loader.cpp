#include "framework/file_loader.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

#include "framework/file_exception.h"

namespace fw {
namespace {

class FileDescriptor {
 public:
  explicit FileDescriptor(int fd) : m_fd(fd) {}
  ~FileDescriptor() {
    if (m_fd >= 0) ::close(m_fd);
  }
  FileDescriptor(const FileDescriptor&) = delete;
  FileDescriptor& operator=(const FileDescriptor&) = delete;
  int Get() const { return m_fd; }

 private:
  int m_fd;
};

}  // namespace

bool LoadFile(const std::string& path, const std::function<void(CArchive&)>& read) {
  FileDescriptor fd(::open(path.c_str(), O_RDONLY | O_CLOEXEC));
  if (fd.Get() < 0) throw CFileException::FromErrno(errno, path);
  struct stat st;
  if (::fstat(fd.Get(), &st) != 0) throw CFileException::FromErrno(errno, path);
  if (S_ISDIR(st.st_mode)) throw CFileException::FromErrno(EISDIR, path);
  CFdStream stream(fd.Get(), path);
  if (stream.Size() == 0) return false;
  CArchive ar(stream, CArchive::load);
  read(ar);
  return true;
}

}  // namespace fw
