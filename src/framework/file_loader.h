#pragma once

#include <functional>
#include <string>

#include "framework/archive.h"

namespace fw {

// Opens `path` for reading and, when the file is not empty, calls `read` with a loading
// archive over it. Returns whether `read` was called (a zero-length file is an empty
// document). The file is opened without blocking and only a regular file is read: a folder
// is refused as access denied (CFileException), a FIFO, device or socket as a file of the
// wrong format (CArchiveException badIndex). Failing to open or read throws CFileException
// naming `path`. Whatever `read` throws passes through.
bool LoadFile(const std::string& path, const std::function<void(CArchive&)>& read);

}  // namespace fw
