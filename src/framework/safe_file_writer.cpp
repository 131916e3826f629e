#include "framework/safe_file_writer.h"

#include <cerrno>

#include "framework/file_exception.h"
#include "platform/atomic_file.h"

namespace fw {

void SaveFileSafely(const std::string& path, const std::function<void(CArchive&)>& write) {
  platform::FileReplacement file;
  platform::FileReplacement::Options options;
  options.rewriteInPlace = true;
  if (const int error = file.Begin(path, options)) {
    // A folder that is not there is a wrong path, not a missing file.
    if (error == ENOENT && !file.InPlace()) throw CFileException(FileCause::badPath, error, path);
    throw CFileException::FromErrno(error, path);
  }
  CFdStream stream(file.Fd(), path);
  CArchive ar(stream, CArchive::store);
  write(ar);
  ar.Close();
  if (const int error = file.Commit()) throw CFileException::FromErrno(error, path);
}

}  // namespace fw
