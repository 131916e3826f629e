#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "document/clip_list.h"

namespace doc {

// The records of a list's recovery journal. Each record is its payload's length and
// CRC-32 (4 bytes each, little-endian) followed by the payload, whose first byte is the
// record's kind. A journal starts with a header (title and path) and a snapshot of the
// whole list; the changes follow in the order they were made.
std::string JournalHeaderRecord(std::string_view title, std::string_view path);
std::string JournalSnapshotRecord(const CClipList& list);
// `header` followed by the snapshot of `list`, built in one buffer: what a journal starts
// with, also when it is rewritten.
std::string JournalStartRecords(std::string header, const CClipList& list);
std::string JournalInsertRecord(int position, std::string_view text);
std::string JournalReplaceRecord(int position, std::string_view text);
std::string JournalRemoveRecord(int position);
std::string JournalClearRecord();

// The bytes of the CRC-32 of zlib and PNG.
std::uint32_t Crc32(std::string_view bytes);

enum class JournalReadStatus {
  Ok,          // the header was read; `list` holds what the records up to validLength say
  Empty,       // no byte was ever written
  Unreadable,  // no readable header: not a journal of ours, or its beginning is damaged
};

struct JournalContent {
  std::string title;
  std::string path;
  CClipList list;
  // The bytes up to the first record that is torn, fails its checksum or does not fit
  // the list; what follows it is not taken.
  std::size_t validLength = 0;
};

// Replays a journal's records into `content` (whose list starts empty).
JournalReadStatus ReadJournal(std::string_view bytes, JournalContent& content);

}  // namespace doc
