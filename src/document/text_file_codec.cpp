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

std::string FromCp932(std::string_view bytes, CodePage cp) {
  if (cp == CodePage::Cp932) return std::string(bytes);
  return platform::ToUtf8(bytes, CodePage::Cp932);
}

// True when every byte sequence is a CP932 character and none is a user-defined one
// (private use): text as Japanese Windows writes it.
bool ReadsAsCp932(std::string_view bytes) {
  const std::string utf8 = platform::ToUtf8(bytes, CodePage::Cp932);
  for (std::size_t i = 0; i < utf8.size(); ++i) {
    const auto lead = static_cast<unsigned char>(utf8[i]);
    if (lead == 0xEE) return false;  // U+E000..U+EFFF
    if (lead != 0xEF) continue;
    // Well-formed UTF-8: two continuation bytes follow.
    const auto second = static_cast<unsigned char>(utf8[i + 1]);
    const auto third = static_cast<unsigned char>(utf8[i + 2]);
    if (second <= 0xA3) return false;  // U+F000..U+F8FF
    if (second == 0xBF && third == 0xBD) return false;  // U+FFFD: no CP932 character
  }
  return true;
}

// Text without a byte order mark that is not UTF-8, in the character set the detector
// names. Japanese text stays CP932 (EUC-JP is converted as such); short Japanese texts
// fool the detector into a Western set, so text that reads as CP932 throughout is taken
// as CP932 too. What the detector cannot name, or iconv cannot convert, is read as CP932.
std::string FromLegacyCharset(std::string_view bytes, CodePage cp) {
  const std::string charset = platform::GuessCharset(bytes);
  if (charset == "EUC-JP") {
    if (auto text = platform::FromCharset(bytes, charset, cp)) return std::move(*text);
  }
  if (charset.empty() || charset == "SHIFT_JIS" || ReadsAsCp932(bytes)) {
    return FromCp932(bytes, cp);
  }
  if (auto text = platform::FromCharset(bytes, charset, cp)) return std::move(*text);
  return FromCp932(bytes, cp);
}

// The whole text in code page `cp`.
std::string ToCodePage(std::string_view bytes, CodePage cp) {
  if (bytes.starts_with(kUtf8Bom)) return platform::FromUtf8(bytes.substr(kUtf8Bom.size()), cp);
  if (bytes.starts_with(kUtf16LeBom)) return platform::FromUtf16(Utf16Units(bytes.substr(2), false), cp);
  if (bytes.starts_with(kUtf16BeBom)) return platform::FromUtf16(Utf16Units(bytes.substr(2), true), cp);
  if (IsValidUtf8(bytes)) return platform::FromUtf8(bytes, cp);
  return FromLegacyCharset(bytes, cp);
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
