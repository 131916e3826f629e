#include "platform/selection_text.h"

namespace platform {
namespace {

std::string Latin1ToUtf8(std::string_view bytes) {
  std::string utf8;
  utf8.reserve(bytes.size());
  for (const char c : bytes) {
    const auto byte = static_cast<unsigned char>(c);
    if (byte < 0x80) {
      utf8.push_back(c);
      continue;
    }
    utf8.push_back(static_cast<char>(0xC0 | (byte >> 6)));
    utf8.push_back(static_cast<char>(0x80 | (byte & 0x3F)));
  }
  return utf8;
}

bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }

}  // namespace

std::string SelectionTextToItem(std::string bytes, SelectionEncoding encoding, CodePage cp) {
  const std::size_t zero = bytes.find('\0');
  if (zero != std::string::npos) bytes.resize(zero);
  if (encoding == SelectionEncoding::Latin1) return FromUtf8(Latin1ToUtf8(bytes), cp);
  return FromUtf8InPlace(std::move(bytes), cp);
}

bool IsSecretHintValue(std::string_view value) {
  while (!value.empty() && IsBlank(value.front())) value.remove_prefix(1);
  while (!value.empty() && IsBlank(value.back())) value.remove_suffix(1);
  return value == "secret";
}

}  // namespace platform
