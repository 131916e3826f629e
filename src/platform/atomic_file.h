#pragma once

#include <string>
#include <string_view>

namespace platform {

// Prefix of the temporary files that replacing a file writes beside it.
inline constexpr std::string_view kTempFilePrefix = ".tolvane-save-";

// Seconds after which a temporary file of ours that no writer holds locked counts as left
// behind by a killed writer.
inline constexpr int kStaleTempSeconds = 60;

// Replaces a file so that, after a crash or kill at any moment, it holds either its old
// content or the complete new one. Begin() follows symbolic links at `path` (the link
// stays, its target is replaced), refuses an existing target this process may not write
// (renaming over it would ignore its permission bits), removes the stale temporary files
// of killed writers in the target's folder and opens a new temporary file there, locked
// while it is written, with the old file's owner where possible and permission bits (0666
// less the umask for a new file). The caller writes through Fd(); Commit() syncs the
// file, renames it over the target and syncs the folder. Left without a Commit (a failure,
// an exception on the way), the temporary file is removed and the target stays as it was.
class FileReplacement {
 public:
  struct Options {
    // Missing folders on the way to the target are made.
    bool makeFolders = false;
    // When the folder takes no new file (no write permission, read-only file system), an
    // existing, writable target is rewritten in place, its old bytes kept in memory and
    // written back when the new ones do not get through: only then can a crash lose it.
    bool rewriteInPlace = false;
  };

  FileReplacement() = default;
  ~FileReplacement();
  FileReplacement(const FileReplacement&) = delete;
  FileReplacement& operator=(const FileReplacement&) = delete;

  // Returns 0, or the errno of the failure: EACCES for a target that may not be written,
  // ELOOP for links that go round.
  int Begin(const std::string& path, const Options& options);
  int Fd() const { return m_fd; }
  // Whether the target itself is being rewritten (see Options::rewriteInPlace).
  bool InPlace() const { return m_bInPlace; }
  // Returns 0 or the errno of the failure, after which the target is as it was.
  int Commit();

 private:
  int BeginInPlace();
  void Abandon() noexcept;

  std::string m_strTarget;
  std::string m_strTemp;
  std::string m_strOldContent;
  int m_fd = -1;
  bool m_bInPlace = false;
};

// Replaces the file at `path` with `content` as FileReplacement does, missing folders made,
// never in place. False on any failure.
bool ReplaceFileAtomically(const std::string& path, std::string_view content);

// Writes all of `data` to the blocking `fd`, going on after interruptions: 0, or the errno
// of the write that failed.
int WriteToEnd(int fd, std::string_view data);

// Removes the temporary files that killed writers left beside the target of `path`: our
// own names only (today's prefix, and "<target name>.tmp<pid>-<attempt>" of older
// versions), only files at least minAgeSeconds old (a younger one may not be locked yet)
// and not locked by a writer still at work. Returns how many went.
int RemoveStaleTempFiles(const std::string& path, int minAgeSeconds = kStaleTempSeconds);

}  // namespace platform
