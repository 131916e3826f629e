#include "document/journal_format.h"

#include <array>
#include <vector>

namespace doc {
namespace {

constexpr std::size_t kFrameSize = 8;
constexpr std::string_view kMagic = "TVNJ";
constexpr std::uint32_t kVersion = 1;

enum Kind : char {
  kHeader = 'H',
  kSnapshot = 'S',
  kBaseFile = 'F',
  kInsert = 'I',
  kReplace = 'P',
  kRemove = 'R',
  kClear = 'C',
};

// Eight tables, so that the checksum takes eight bytes a step: a list's snapshot is
// checksummed on the window's thread.
using CrcTables = std::array<std::array<std::uint32_t, 256>, 8>;
constexpr CrcTables MakeCrcTables() {
  CrcTables tables{};
  for (std::uint32_t n = 0; n < 256; ++n) {
    std::uint32_t c = n;
    for (int k = 0; k < 8; ++k) c = (c & 1) ? 0xEDB88320u ^ (c >> 1) : c >> 1;
    tables[0][n] = c;
  }
  for (std::size_t t = 1; t < 8; ++t) {
    for (std::size_t n = 0; n < 256; ++n) {
      tables[t][n] = (tables[t - 1][n] >> 8) ^ tables[0][tables[t - 1][n] & 0xFF];
    }
  }
  return tables;
}
constexpr CrcTables kCrc = MakeCrcTables();

void PutU32(std::string& out, std::uint32_t value) {
  for (int i = 0; i < 4; ++i) out.push_back(static_cast<char>((value >> (8 * i)) & 0xFF));
}

std::uint32_t GetU32(std::string_view bytes, std::size_t at) {
  std::uint32_t value = 0;
  for (int i = 0; i < 4; ++i) {
    value |= static_cast<std::uint32_t>(static_cast<unsigned char>(bytes[at + i])) << (8 * i);
  }
  return value;
}

// A record being built at the end of a buffer: room for the frame first, filled in by
// Finish.
class RecordBuilder {
 public:
  RecordBuilder(Kind kind, std::size_t sizeHint, std::string before = {})
      : m_bytes(std::move(before)), m_nStart(m_bytes.size()) {
    m_bytes.reserve(m_nStart + kFrameSize + 1 + sizeHint);
    m_bytes.resize(m_nStart + kFrameSize);
    m_bytes.push_back(kind);
  }
  RecordBuilder& U32(std::uint32_t value) {
    PutU32(m_bytes, value);
    return *this;
  }
  RecordBuilder& U64(std::uint64_t value) {
    return U32(static_cast<std::uint32_t>(value)).U32(static_cast<std::uint32_t>(value >> 32));
  }
  RecordBuilder& Text(std::string_view text) {
    m_bytes.append(text);
    return *this;
  }
  RecordBuilder& SizedText(std::string_view text) {
    return U32(static_cast<std::uint32_t>(text.size())).Text(text);
  }
  std::string Finish() {
    const std::string_view payload = std::string_view(m_bytes).substr(m_nStart + kFrameSize);
    std::string frame;
    PutU32(frame, static_cast<std::uint32_t>(payload.size()));
    PutU32(frame, Crc32(payload));
    m_bytes.replace(m_nStart, kFrameSize, frame);
    return std::move(m_bytes);
  }

 private:
  std::string m_bytes;
  std::size_t m_nStart;
};

// Reads a payload's fields in turn; any read past its end makes it malformed.
class PayloadReader {
 public:
  explicit PayloadReader(std::string_view payload) : m_rest(payload) {}
  bool U32(std::uint32_t& value) {
    if (m_rest.size() < 4) return false;
    value = GetU32(m_rest, 0);
    m_rest.remove_prefix(4);
    return true;
  }
  bool U64(std::uint64_t& value) {
    std::uint32_t low = 0;
    std::uint32_t high = 0;
    if (!U32(low) || !U32(high)) return false;
    value = (static_cast<std::uint64_t>(high) << 32) | low;
    return true;
  }
  bool SizedText(std::string_view& text) {
    std::uint32_t size = 0;
    if (!U32(size) || size > m_rest.size()) return false;
    text = m_rest.substr(0, size);
    m_rest.remove_prefix(size);
    return true;
  }
  std::string_view Rest() {
    const std::string_view rest = m_rest;
    m_rest = {};
    return rest;
  }
  bool AtEnd() const { return m_rest.empty(); }

 private:
  std::string_view m_rest;
};

bool ReadHeader(std::string_view payload, JournalContent& content) {
  if (!payload.starts_with(kMagic)) return false;
  PayloadReader fields(payload.substr(kMagic.size()));
  std::uint32_t version = 0;
  std::string_view title;
  std::string_view path;
  if (!fields.U32(version) || version != kVersion || !fields.SizedText(title) ||
      !fields.SizedText(path) || !fields.AtEnd()) {
    return false;
  }
  content.title = title;
  content.path = path;
  return true;
}

bool ReadBaseFile(std::string_view payload, const JournalBaseLoader& loadBase,
                  CClipList& list) {
  PayloadReader fields(payload);
  std::string_view path;
  platform::FileIdentity file;
  std::uint64_t modified = 0;
  if (!fields.SizedText(path) || !fields.U64(file.device) || !fields.U64(file.inode) ||
      !fields.U64(file.size) || !fields.U64(modified) || !fields.AtEnd() || !loadBase) {
    return false;
  }
  file.modifiedNs = static_cast<std::int64_t>(modified);
  return loadBase(std::string(path), file, list);
}

// A position below `end`.
bool ReadPosition(PayloadReader& in, int end, int& position) {
  std::uint32_t value = 0;
  if (!in.U32(value) || value >= static_cast<std::uint32_t>(end)) return false;
  position = static_cast<int>(value);
  return true;
}

// Applies one change record; false when it is malformed or does not fit the list.
bool Apply(char kind, std::string_view payload, CClipList& list) {
  PayloadReader in(payload);
  int position = 0;
  switch (kind) {
    case kSnapshot: {
      std::uint32_t count = 0;
      // Every item takes at least its length.
      if (!in.U32(count) || count > payload.size() / 4) return false;
      // Checked whole before the list changes: a damaged snapshot leaves it as it was.
      std::vector<std::string_view> items(count);
      for (std::string_view& text : items) {
        if (!in.SizedText(text)) return false;
      }
      if (!in.AtEnd()) return false;
      list.RemoveAll();
      for (const std::string_view text : items) list.AddTail(std::string(text));
      return true;
    }
    case kInsert:
      if (!ReadPosition(in, list.GetCount() + 1, position)) return false;
      list.InsertBefore(position, std::string(in.Rest()));
      return true;
    case kReplace:
      if (!ReadPosition(in, list.GetCount(), position)) return false;
      list.SetAt(position, std::string(in.Rest()));
      return true;
    case kRemove:
      if (!ReadPosition(in, list.GetCount(), position) || !in.AtEnd()) return false;
      list.RemoveAt(position);
      return true;
    case kClear:
      if (!in.AtEnd()) return false;
      list.RemoveAll();
      return true;
    default:
      return false;
  }
}

// The payload of the whole record at `at`, or false for a torn or damaged one.
bool NextPayload(std::string_view bytes, std::size_t at, std::string_view& payload) {
  if (bytes.size() - at < kFrameSize) return false;
  const std::uint32_t size = GetU32(bytes, at);
  if (size == 0 || size > bytes.size() - at - kFrameSize) return false;
  payload = bytes.substr(at + kFrameSize, size);
  return Crc32(payload) == GetU32(bytes, at + 4);
}

}  // namespace

std::uint32_t Crc32(std::string_view bytes) {
  std::uint32_t c = 0xFFFFFFFFu;
  while (bytes.size() >= 8) {
    const std::uint32_t one = GetU32(bytes, 0) ^ c;
    const std::uint32_t two = GetU32(bytes, 4);
    c = kCrc[7][one & 0xFF] ^ kCrc[6][(one >> 8) & 0xFF] ^ kCrc[5][(one >> 16) & 0xFF] ^
        kCrc[4][one >> 24] ^ kCrc[3][two & 0xFF] ^ kCrc[2][(two >> 8) & 0xFF] ^
        kCrc[1][(two >> 16) & 0xFF] ^ kCrc[0][two >> 24];
    bytes.remove_prefix(8);
  }
  for (const char byte : bytes) {
    c = kCrc[0][(c ^ static_cast<unsigned char>(byte)) & 0xFF] ^ (c >> 8);
  }
  return c ^ 0xFFFFFFFFu;
}

std::string JournalHeaderRecord(std::string_view title, std::string_view path) {
  return RecordBuilder(kHeader, kMagic.size() + 12 + title.size() + path.size())
      .Text(kMagic)
      .U32(kVersion)
      .SizedText(title)
      .SizedText(path)
      .Finish();
}

std::string JournalSnapshotRecord(const CClipList& list) { return JournalStartRecords({}, list); }

std::string JournalStartRecords(std::string header, const CClipList& list) {
  std::size_t size = 4;
  for (int i = 0; i < list.GetCount(); ++i) size += 4 + list.GetAt(i).size();
  RecordBuilder record(kSnapshot, size, std::move(header));
  record.U32(static_cast<std::uint32_t>(list.GetCount()));
  for (int i = 0; i < list.GetCount(); ++i) record.SizedText(list.GetAt(i));
  return record.Finish();
}

std::string JournalBaseFileRecord(std::string_view path, const platform::FileIdentity& file) {
  return RecordBuilder(kBaseFile, 4 + path.size() + 32)
      .SizedText(path)
      .U64(file.device)
      .U64(file.inode)
      .U64(file.size)
      .U64(static_cast<std::uint64_t>(file.modifiedNs))
      .Finish();
}

std::string JournalInsertRecord(int position, std::string_view text) {
  return RecordBuilder(kInsert, 4 + text.size())
      .U32(static_cast<std::uint32_t>(position))
      .Text(text)
      .Finish();
}

std::string JournalReplaceRecord(int position, std::string_view text) {
  return RecordBuilder(kReplace, 4 + text.size())
      .U32(static_cast<std::uint32_t>(position))
      .Text(text)
      .Finish();
}

std::string JournalRemoveRecord(int position) {
  return RecordBuilder(kRemove, 4).U32(static_cast<std::uint32_t>(position)).Finish();
}

std::string JournalClearRecord() { return RecordBuilder(kClear, 0).Finish(); }

JournalReadStatus ReadJournal(std::string_view bytes, JournalContent& content,
                              const JournalBaseLoader& loadBase) {
  content.validLength = 0;
  if (bytes.empty()) return JournalReadStatus::Empty;
  std::string_view payload;
  if (!NextPayload(bytes, 0, payload) || payload[0] != kHeader ||
      !ReadHeader(payload.substr(1), content)) {
    return JournalReadStatus::Unreadable;
  }
  std::size_t at = kFrameSize + payload.size();
  // Without the items it starts from, none of the changes can be placed.
  if (NextPayload(bytes, at, payload) && payload[0] == kBaseFile) {
    if (!ReadBaseFile(payload.substr(1), loadBase, content.list)) {
      return JournalReadStatus::Unreadable;
    }
    at += kFrameSize + payload.size();
  }
  while (NextPayload(bytes, at, payload)) {
    if (payload[0] == kHeader || !Apply(payload[0], payload.substr(1), content.list)) break;
    at += kFrameSize + payload.size();
  }
  content.validLength = at;
  return JournalReadStatus::Ok;
}

}  // namespace doc
