#include "document/clip_list_serializer.h"

#include <climits>
#include <cstdint>
#include <new>
#include <string>

#include "framework/file_exception.h"

namespace doc {
namespace {

constexpr std::uint16_t kLongCount = 0xFFFF;
constexpr std::uint8_t kLongLength = 0xFF;
constexpr std::uint16_t kWideMarker = 0xFFFE;
constexpr std::uint16_t kLongerLength = 0xFFFF;
constexpr std::uint32_t kWideMarkerLength = UINT32_MAX;  // never a real length below 2^31
constexpr std::uint32_t kMaxByteLength = (1u << 31) - 1;
constexpr std::uint32_t kMaxWideLength = (1u << 30) - 1;

[[noreturn]] void ThrowBadFormat() { throw fw::CArchiveException(fw::ArchiveCause::endOfFile); }

// A length prefix, or kWideMarkerLength for the wide marker.
std::uint32_t ReadLength(fw::CArchive& ar) {
  const std::uint8_t shortLength = ar.ReadU8();
  if (shortLength != kLongLength) return shortLength;
  const std::uint16_t length = ar.ReadU16();
  if (length == kWideMarker) return kWideMarkerLength;
  if (length != kLongerLength) return length;
  const std::uint32_t longLength = ar.ReadU32();
  // The 4-byte form could also spell the marker's value; it is a length too large to hold.
  if (longLength > kMaxByteLength) ThrowBadFormat();
  return longLength;
}

std::string ReadWideText(fw::CArchive& ar, std::uint32_t length, platform::CodePage cp) {
  if (length > kMaxWideLength || std::uint64_t{length} * 2 > ar.BytesLeft()) ThrowBadFormat();
  std::string bytes(std::size_t{length} * 2, '\0');
  ar.Read(bytes.data(), bytes.size());
  std::u16string text;
  text.reserve(length);
  for (std::size_t i = 0; i < bytes.size(); i += 2) {
    const auto unit = static_cast<char16_t>(static_cast<unsigned char>(bytes[i]) |
                                            (static_cast<unsigned char>(bytes[i + 1]) << 8));
    if (unit == 0) break;  // the converted item ends at the first zero character
    text.push_back(unit);
  }
  return platform::FromUtf16(text, cp);
}

std::string ReadItem(fw::CArchive& ar, platform::CodePage cp) {
  std::uint32_t length = ReadLength(ar);
  if (length == kWideMarkerLength) {
    length = ReadLength(ar);
    if (length == kWideMarkerLength) ThrowBadFormat();
    return ReadWideText(ar, length, cp);
  }
  if (length > ar.BytesLeft()) ThrowBadFormat();
  return ar.ReadString(length);
}

void WriteLength(fw::CArchive& ar, std::size_t length) {
  if (length < kLongLength) {
    ar.WriteU8(static_cast<std::uint8_t>(length));
    return;
  }
  ar.WriteU8(kLongLength);
  if (length < kWideMarker) {
    ar.WriteU16(static_cast<std::uint16_t>(length));
    return;
  }
  ar.WriteU16(kLongerLength);
  ar.WriteU32(static_cast<std::uint32_t>(length));
}

}  // namespace

void ReadClipList(fw::CArchive& ar, CClipList& list, platform::CodePage cp) {
  std::uint32_t count = ar.ReadU16();
  if (count == kLongCount) count = ar.ReadU32();
  // Every item takes at least its one-byte prefix.
  if (count > ar.BytesLeft()) ThrowBadFormat();
  // Positions are ints; a list longer than that cannot be held.
  if (count > static_cast<std::uint32_t>(INT_MAX)) throw std::bad_alloc();
  for (std::uint32_t i = 0; i < count; ++i) list.AddTail(ReadItem(ar, cp));
}

void WriteClipList(fw::CArchive& ar, const CClipList& list) {
  const auto count = static_cast<std::uint32_t>(list.GetCount());
  if (count < kLongCount) {
    ar.WriteU16(static_cast<std::uint16_t>(count));
  } else {
    ar.WriteU16(kLongCount);
    ar.WriteU32(count);
  }
  for (int i = 0; i < list.GetCount(); ++i) {
    const std::string& text = list.GetAt(i);
    if (text.size() > kMaxByteLength) throw fw::CArchiveException(fw::ArchiveCause::generic);
    WriteLength(ar, text.size());
    ar.Write(text);
  }
}

}  // namespace doc
