#pragma once

#include "document/clip_list.h"
#include "framework/archive.h"
#include "platform/code_page.h"

namespace doc {

// Reads a stored clip list and adds its items at the end of `list`, front item first.
// Items are kept as stored: duplicates, empty items and zero bytes included. A wide item
// is converted to `cp`. A count or length that the remaining bytes cannot hold, and a
// malformed wide marker, throw fw::CArchiveException(endOfFile) before anything is
// allocated for it; `list` then holds the items read so far and the caller empties it.
void ReadClipList(fw::CArchive& ar, CClipList& list,
                  platform::CodePage cp = platform::SystemCodePage());

// Writes the count and every item with the shortest length prefix. An item too long to
// be read back (2^31 bytes or more) throws fw::CArchiveException(generic).
void WriteClipList(fw::CArchive& ar, const CClipList& list);

}  // namespace doc
