#pragma once

#include <exception>
#include <string>
#include <string_view>

namespace fw {

// Why a file operation failed. The values are the offsets of the file error texts in the
// string table.
enum class FileCause {
  none = 0,
  generic = 1,
  fileNotFound = 2,
  badPath = 3,
  tooManyOpenFiles = 4,
  accessDenied = 5,
  invalidFile = 6,
  removeCurrentDir = 7,
  directoryFull = 8,
  badSeek = 9,
  hardIO = 10,
  sharingViolation = 11,
  lockViolation = 12,
  diskFull = 13,
  endOfFile = 14,
};

// Why reading or writing through an archive failed; offsets of the archive error texts.
enum class ArchiveCause {
  none = 0,
  generic = 1,
  readOnly = 2,
  endOfFile = 3,
  writeOnly = 4,
  badIndex = 5,
  badClass = 6,
  badSchema = 7,
};

FileCause FileCauseFromErrno(int error);

class CFileException : public std::exception {
 public:
  CFileException(FileCause cause, int osError, std::string fileName)
      : m_cause(cause), m_nOsError(osError), m_strFileName(std::move(fileName)) {}
  // The cause that errno `osError` stands for.
  static CFileException FromErrno(int osError, std::string fileName) {
    return CFileException(FileCauseFromErrno(osError), osError, std::move(fileName));
  }

  const char* what() const noexcept override { return "file error"; }

  FileCause m_cause;
  int m_nOsError;            // errno, 0 when the failure did not come from the system
  std::string m_strFileName;  // may be empty: the caller's path stands in
};

class CArchiveException : public std::exception {
 public:
  explicit CArchiveException(ArchiveCause cause) : m_cause(cause) {}
  const char* what() const noexcept override { return "archive error"; }

  ArchiveCause m_cause;
};

// String ids of the texts the report rules choose (the same numbers as the string table's).
inline constexpr unsigned kUnexpectedFormatTextId = 61728;
inline constexpr unsigned kFileErrorTextBase = 61856;
inline constexpr unsigned kArchiveErrorTextBase = 61872;

// The message for a failed load or save: a string id and the path for its "%1".
struct FailureReport {
  unsigned textId;
  std::string path;
};

// Picks the message for a failure of loading or saving `path`: a format error of the
// archive gives the unexpected-format text, a file error its own text with its file name
// (or `path` when it has none), anything else `defaultTextId`. Pass the caught exception
// (std::current_exception() inside catch (...)).
FailureReport ReportForFailure(const std::exception_ptr& error, std::string_view path,
                               unsigned defaultTextId);

}  // namespace fw
