#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

#include "document/clip_list.h"
#include "platform/regular_file.h"

namespace doc {

// The records of a list's recovery journal. Each record is its payload's length and
// CRC-32 (4 bytes each, little-endian) followed by the payload, whose first byte is the
// record's kind. A journal starts with a header (title and path) and a snapshot of the
// whole list, or a reference to the file the list was read from or saved to (so that a
// saved list's journal starts without copying the list); the changes follow in the order
// they were made.
std::string JournalHeaderRecord(std::string_view title, std::string_view path);
std::string JournalSnapshotRecord(const CClipList& list);
// `header` followed by the snapshot of `list`, built in one buffer: what a journal starts
// with, also when it is rewritten.
std::string JournalStartRecords(std::string header, const CClipList& list);
// The list is what the file at `path` held in the state `file`.
std::string JournalBaseFileRecord(std::string_view path, const platform::FileIdentity& file);
std::string JournalInsertRecord(int position, std::string_view text);
std::string JournalReplaceRecord(int position, std::string_view text);
std::string JournalRemoveRecord(int position);
std::string JournalClearRecord();

// The bytes of the CRC-32 of zlib and PNG.
std::uint32_t Crc32(std::string_view bytes);

enum class JournalReadStatus {
  Ok,          // the header was read; `list` holds what the records up to validLength say
  Empty,       // no byte was ever written
  Unreadable,  // no readable header: not a journal of ours, or its beginning is damaged;
               // or the file it starts from is no longer as it was
};

// Reads the items of the file a journal starts from into `list` (empty); false when the
// file is no longer in the state `file` or cannot be read.
using JournalBaseLoader = std::function<bool(const std::string& path,
                                             const platform::FileIdentity& file, CClipList& list)>;

struct JournalContent {
  std::string title;
  std::string path;
  CClipList list;
  // The bytes up to the first record that is torn, fails its checksum or does not fit
  // the list; what follows it is not taken.
  std::size_t validLength = 0;
};

// Replays a journal's records into `content` (whose list starts empty). A journal that
// starts from a file is unreadable without `loadBase`.
JournalReadStatus ReadJournal(std::string_view bytes, JournalContent& content,
                              const JournalBaseLoader& loadBase = {});

}  // namespace doc
