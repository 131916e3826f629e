#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "document/clip_list.h"
#include "framework/archive.h"
#include "platform/code_page.h"

namespace doc {

// The non-empty lines of a text file, in file order, in code page `cp`. The bytes are
// UTF-8 (a byte order mark is dropped), UTF-16 with a little- or big-endian byte order
// mark, or, when they are not valid UTF-8, in the character set that uchardet guesses,
// CP932 for Japanese text. Lines end at LF, CRLF or CR.
std::vector<std::string> DecodeTextLines(std::string_view bytes, platform::CodePage cp);

// Reads what is left in `ar` as a text file (see DecodeTextLines).
std::vector<std::string> ReadTextLines(fw::CArchive& ar, platform::CodePage cp);

// Writes every item followed by "\n", bytes as the item holds them.
void WriteTextLines(fw::CArchive& ar, const CClipList& list);

}  // namespace doc
