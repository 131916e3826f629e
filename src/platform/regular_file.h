#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace platform {

enum class FileReadResult { Ok, Missing, Failed };

// Opens `path` with `flags` (O_RDONLY, O_RDWR, ...) without ever blocking on a FIFO or a
// device, and only when it names a regular file (links followed). Returns the descriptor,
// or -1 with errno set: EISDIR for a folder, ENXIO for any other file that is not a
// regular one (a socket's own open fails with ENXIO too).
int OpenRegularFile(const std::string& path, int flags);

// Whether this process, with its effective ids, may write the existing file at `path`.
// Renaming a file over another ignores the replaced file's own permission bits; writers
// ask this first so that a read-only file stays as it is.
bool MayWriteFile(const std::string& path);

// Reads a regular file of at most maxSize bytes whole. Opening never blocks and nothing
// but a regular file is read, so a path that names a FIFO or a device (also through a
// symbolic link) fails at once instead of hanging or reading without end. Missing when
// the path names nothing (or a dangling link).
FileReadResult ReadRegularFile(const std::string& path, std::size_t maxSize,
                               std::string& content);

// The file that `path` names with its symbolic links followed (links to a target that
// does not exist yet included) into `target`. Returns 0, or ELOOP when the links go round.
int ResolveSymbolicLinks(const std::string& path, std::string& target);

// What tells one state of a file from another without reading it: the same file (device
// and inode), not rewritten since (size and modification time).
struct FileIdentity {
  std::uint64_t device = 0;
  std::uint64_t inode = 0;
  std::uint64_t size = 0;
  std::int64_t modifiedNs = 0;
  bool operator==(const FileIdentity&) const = default;
};

// The identity of the file at `path` (links followed); false when it cannot be had.
bool IdentifyFile(const std::string& path, FileIdentity& identity);

// The folder that holds `path`: "." for a bare name, "/" for a file in the root.
std::string ParentFolder(const std::string& path);

}  // namespace platform
