#include "framework/file_exception.h"

#include <cerrno>

namespace fw {

FileCause FileCauseFromErrno(int error) {
  switch (error) {
    case 0:
      return FileCause::none;
    case ENOENT:
      return FileCause::fileNotFound;
    case ENOTDIR:
    case ENAMETOOLONG:
    case ELOOP:
      return FileCause::badPath;
    case EMFILE:
    case ENFILE:
      return FileCause::tooManyOpenFiles;
    case EACCES:
    case EPERM:
    case EROFS:
    case EISDIR:  // a folder where a file is expected: the other system says access denied
      return FileCause::accessDenied;
    case EBADF:
      return FileCause::invalidFile;
    case ENOSPC:
    case EDQUOT:
    case EFBIG:
      return FileCause::diskFull;
    case EIO:
      return FileCause::hardIO;
    case ESPIPE:
      return FileCause::badSeek;
    case EBUSY:
    case ETXTBSY:
      return FileCause::sharingViolation;
    case EDEADLK:
    case ENOLCK:
      return FileCause::lockViolation;
    default:
      return FileCause::generic;
  }
}

FailureReport ReportForFailure(const std::exception_ptr& error, std::string_view path,
                               unsigned defaultTextId) {
  const FailureReport fallback{defaultTextId, std::string(path)};
  if (!error) return fallback;
  try {
    std::rethrow_exception(error);
  } catch (const CArchiveException& e) {
    switch (e.m_cause) {
      case ArchiveCause::endOfFile:
      case ArchiveCause::badIndex:
      case ArchiveCause::badClass:
      case ArchiveCause::badSchema:
        return {kUnexpectedFormatTextId, std::string(path)};
      default:
        return fallback;
    }
  } catch (const CFileException& e) {
    return {kFileErrorTextBase + static_cast<unsigned>(e.m_cause),
            e.m_strFileName.empty() ? std::string(path) : e.m_strFileName};
  } catch (...) {
    return fallback;
  }
}

}  // namespace fw
