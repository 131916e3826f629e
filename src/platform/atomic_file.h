#pragma once

#include <cstddef>
#include <functional>
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

// The path with its symbolic links followed, also to a target that does not exist yet;
// the path itself when it is no link or the links loop.
std::string FollowSymbolicLinks(const std::string& path);

// Writes a temporary file beside the (link-followed) target, syncs it, renames it over the
// target and syncs the folder: after a crash or kill the file holds either the old or the
// new content. Missing folders are made; an existing file keeps its permission bits.
bool ReplaceFileAtomically(const std::string& path, std::string_view content);

// Removes the temporary files that ReplaceFileAtomically left beside the target of `path`
// when its writer was killed: our own name pattern only, only files at least minAgeSeconds
// old and not locked by a writer. Returns how many were removed.
int RemoveStaleTempFiles(const std::string& path, int minAgeSeconds);

// The rule for every temporary file a killed writer of ours may have left: in `folder`,
// removes the regular files whose names `isOurs` accepts that are at least minAgeSeconds
// old and not locked (flock) by a writer that is still at work. Returns how many went.
int RemoveUnlockedOldFiles(const std::string& folder,
                           const std::function<bool(std::string_view name)>& isOurs,
                           int minAgeSeconds);

}  // namespace platform
