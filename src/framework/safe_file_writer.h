#pragma once

#include <functional>
#include <string>

#include "framework/archive.h"

namespace fw {

// Prefix of the temporary files that saving makes beside the target. A file with this
// prefix left behind by a killed process is stale and may be removed.
inline constexpr const char kSaveTempPrefix[] = ".tolvane-save-";

// Seconds after which a temporary save file that no writer holds locked counts as left
// behind by a killed save.
inline constexpr int kStaleSaveTempSeconds = 60;

// Saves so that `path` always holds either its old content or the complete new one: `write`
// fills a storing archive over a new temporary file in the target's folder, locked while
// it is written, which gets the old file's permission bits (0666 less the umask for a new
// file), is synced to disk and renamed over the target; then the folder is synced. A
// symbolic link at `path` is followed, so its target is replaced and the link stays.
// Stale temporary files of earlier, killed saves in that folder are removed first.
// An existing target this process may not write is refused as access denied. When the
// folder refuses the temporary file (no write permission, read-only file system), an
// existing, writable target is rewritten in place instead, its old bytes written back if
// that fails: only this case can lose the file in a crash. On any other failure, `write`'s
// own included, the temporary file is removed, the target is left as it was and the
// failure is thrown on: a CFileException names `path`.
void SaveFileSafely(const std::string& path, const std::function<void(CArchive&)>& write);

// The file a save to `path` replaces: symbolic links followed to their final target
// (which need not exist yet).
std::string ResolveSaveTarget(const std::string& path);

// Removes the temporary files that killed saves left in the folder of `path`'s target: our
// prefix only, unlocked and at least minAgeSeconds old. Returns how many went.
int RemoveStaleSaveTempFiles(const std::string& path,
                             int minAgeSeconds = kStaleSaveTempSeconds);

}  // namespace fw
