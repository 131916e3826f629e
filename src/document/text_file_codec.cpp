#include "document/text_file_codec.h"

#include <new>

namespace doc {
namespace {

using platform::CodePage;

constexpr std::string_view kUtf8Bom = "\xEF\xBB\xBF";
constexpr std::string_view kUtf16LeBom = "\xFF\xFE";
constexpr std::string_view kUtf16BeBom = "\xFE\xFF";

std::u16string Utf16Units(std::string_view bytes, bool bigEndian) {
  std::u16string units;
  units.reserve(bytes.size() / 2);
  // A lone last byte cannot be a character; it is dropped.
  for (std::size_t i = 0; i + 1 < bytes.size(); i += 2) {
    const auto first = static_cast<unsigned char>(bytes[i]);
    const auto second = static_cast<unsigned char>(bytes[i + 1]);
    units.push_back(static_cast<char16_t>(bigEndian ? (first << 8) | second : (second << 8) | first));
  }
  return units;
}

bool IsValidUtf8(std::string_view bytes) {
  // Repairing valid UTF-8 changes nothing.
  return platform::ToUtf8(bytes, CodePage::Utf8) == bytes;
}

// The whole text in code page `cp`.
std::string ToCodePage(std::string_view bytes, CodePage cp) {
  if (bytes.starts_with(kUtf8Bom)) return platform::FromUtf8(bytes.substr(kUtf8Bom.size()), cp);
  if (bytes.starts_with(kUtf16LeBom)) return platform::FromUtf16(Utf16Units(bytes.substr(2), false), cp);
  if (bytes.starts_with(kUtf16BeBom)) return platform::FromUtf16(Utf16Units(bytes.substr(2), true), cp);
  if (IsValidUtf8(bytes)) return platform::FromUtf8(bytes, cp);
  if (cp == CodePage::Cp932) return std::string(bytes);
  return platform::ToUtf8(bytes, CodePage::Cp932);
}

}  // namespace

std::vector<std::string> DecodeTextLines(std::string_view bytes, CodePage cp) {
  // CR and LF never occur inside a multibyte character of either code page, so the
  // converted text can be split byte by byte.
  const std::string text = ToCodePage(bytes, cp);
  std::vector<std::string> lines;
  std::size_t start = 0;
  while (start < text.size()) {
    const std::size_t end = text.find_first_of("\r\n", start);
    const std::size_t stop = end == std::string::npos ? text.size() : end;
    if (stop > start) lines.emplace_back(text, start, stop - start);
    if (end == std::string::npos) break;
    start = end + (text[end] == '\r' && end + 1 < text.size() && text[end + 1] == '\n' ? 2 : 1);
  }
  return lines;
}

std::vector<std::string> ReadTextLines(fw::CArchive& ar, CodePage cp) {
  const std::uint64_t size = ar.BytesLeft();
  if (size > std::string().max_size()) throw std::bad_alloc();
  std::string bytes(static_cast<std::size_t>(size), '\0');
  ar.Read(bytes.data(), bytes.size());
  return DecodeTextLines(bytes, cp);
}

void WriteTextLines(fw::CArchive& ar, const CClipList& list) {
  for (int i = 0; i < list.GetCount(); ++i) {
    ar.Write(list.GetAt(i));
    ar.WriteU8('\n');
  }
}

}  // namespace doc
