#pragma once

#include <functional>
#include <string>

#include "framework/archive.h"

namespace fw {

// Saves so that `path` always holds either its old content or the complete new one
// (platform::FileReplacement, rewriting in place where the folder takes no new file):
// `write` fills a storing archive over the new file. A failure, `write`'s own included,
// leaves the target as it was and is thrown on: a CFileException names `path`; an
// existing target this process may not write is refused as access denied, and a folder
// that is not there is a bad path.
void SaveFileSafely(const std::string& path, const std::function<void(CArchive&)>& write);

}  // namespace fw
