#include "framework/file_loader.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>

#include "framework/file_exception.h"
#include "platform/regular_file.h"

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
  FileDescriptor fd(platform::OpenRegularFile(path, O_RDONLY));
  if (fd.Get() < 0) {
    // A FIFO, device or socket holds no list: it is refused like a file of the wrong format.
    if (errno == ENXIO) throw CArchiveException(ArchiveCause::badIndex);
    throw CFileException::FromErrno(errno, path);
  }
  CFdStream stream(fd.Get(), path);
  if (stream.Size() == 0) return false;
  CArchive ar(stream, CArchive::load);
  read(ar);
  return true;
}

}  // namespace fw
