#include "platform/code_page.h"

#include <iconv.h>
#include <uchardet/uchardet.h>
#include <langinfo.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <cstdint>
#include <cstring>

#include "platform/loaded_library.h"

namespace platform {
namespace {

constexpr std::string_view kReplacementUtf8 = "\xEF\xBF\xBD";  // U+FFFD
constexpr std::string_view kMarkerUtf8 = "\xE2\x97\x8E";
constexpr std::string_view kMarkerCp932 = "\x81\x9D";

std::atomic<int> g_systemCodePage{-1};

char AsciiUpper(char c) { return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c; }

bool EqualsIgnoringAsciiCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    if (AsciiUpper(a[i]) != AsciiUpper(b[i])) return false;
  }
  return true;
}

// Length of the well-formed UTF-8 sequence at pos (no overlongs, surrogates or code
// points above U+10FFFF), or 0 when the bytes there do not form one.
std::size_t WellFormedUtf8Length(std::string_view s, std::size_t pos) {
  const auto* p = reinterpret_cast<const unsigned char*>(s.data()) + pos;
  const std::size_t avail = s.size() - pos;
  const auto continuation = [&](std::size_t i) { return i < avail && (p[i] & 0xC0) == 0x80; };
  const unsigned char b0 = p[0];
  if (b0 < 0x80) return 1;
  if (b0 < 0xC2) return 0;
  if (b0 < 0xE0) return continuation(1) ? 2 : 0;
  if (b0 < 0xF0) {
    if (!continuation(1) || !continuation(2)) return 0;
    if (b0 == 0xE0 && p[1] < 0xA0) return 0;
    if (b0 == 0xED && p[1] >= 0xA0) return 0;
    return 3;
  }
  if (b0 < 0xF5) {
    if (!continuation(1) || !continuation(2) || !continuation(3)) return 0;
    if (b0 == 0xF0 && p[1] < 0x90) return 0;
    if (b0 == 0xF4 && p[1] >= 0x90) return 0;
    return 4;
  }
  return 0;
}

bool IsCp932Lead(unsigned char b) { return (b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC); }
bool IsCp932Trail(unsigned char b) { return (b >= 0x40 && b <= 0x7E) || (b >= 0x80 && b <= 0xFC); }

// Position of the first byte at or after pos that is not ASCII, or s.size().
std::size_t SkipAscii(std::string_view s, std::size_t pos) {
  constexpr std::uint64_t kHighBits = 0x8080808080808080ULL;
  while (pos + 8 <= s.size()) {
    std::uint64_t word;
    std::memcpy(&word, s.data() + pos, sizeof word);
    if (word & kHighBits) break;
    pos += 8;
  }
  while (pos < s.size() && static_cast<unsigned char>(s[pos]) < 0x80) ++pos;
  return pos;
}

// Position of the first byte at or after pos that does not belong to well-formed UTF-8.
std::size_t SkipValidUtf8(std::string_view s, std::size_t pos) {
  while (pos < s.size()) {
    if (static_cast<unsigned char>(s[pos]) < 0x80) {
      pos = SkipAscii(s, pos);
      continue;
    }
    const std::size_t n = WellFormedUtf8Length(s, pos);
    if (n == 0) return pos;
    pos += n;
  }
  return s.size();
}

// Copies UTF-8 in one pass, putting `replacement` in place of every invalid byte.
std::string RepairUtf8(std::string_view s, std::string_view replacement) {
  std::size_t end = SkipValidUtf8(s, 0);
  if (end == s.size()) return std::string(s);
  std::string out;
  out.reserve(s.size() + s.size() / 8 + replacement.size());
  std::size_t pos = 0;
  while (true) {
    out.append(s.substr(pos, end - pos));
    if (end == s.size()) return out;
    out.append(replacement);
    pos = end + 1;
    end = SkipValidUtf8(s, pos);
  }
}

class IconvHandle {
 public:
  IconvHandle(const char* to, const char* from) : m_cd(iconv_open(to, from)) {}
  ~IconvHandle() {
    if (Valid()) iconv_close(m_cd);
  }
  IconvHandle(const IconvHandle&) = delete;
  IconvHandle& operator=(const IconvHandle&) = delete;

  bool Valid() const { return m_cd != reinterpret_cast<iconv_t>(-1); }
  iconv_t Get() const { return m_cd; }

 private:
  iconv_t m_cd;
};

// Opening a descriptor costs more than converting a short item, so each thread keeps one
// per direction.
iconv_t Utf8ToCp932() {
  thread_local IconvHandle handle("CP932", "UTF-8");
  return handle.Get();
}

iconv_t Cp932ToUtf8() {
  thread_local IconvHandle handle("UTF-8", "CP932");
  return handle.Get();
}

// Converts with iconv through a large buffer; a sequence iconv refuses becomes
// `replacement` and one source character (as the source code page counts it) is skipped.
std::string ConvertWithIconv(std::string_view in, iconv_t cd, CodePage source,
                             std::string_view replacement) {
  if (SkipAscii(in, 0) == in.size()) return std::string(in);  // ASCII is the same in both
  std::string out;
  out.reserve(in.size() + in.size() / 2);
  if (cd == reinterpret_cast<iconv_t>(-1)) {
    // Without the converter only ASCII survives.
    for (std::size_t pos = 0; pos < in.size();) {
      const std::size_t n = CharLength(in, pos, source);
      if (n == 1 && static_cast<unsigned char>(in[pos]) < 0x80) {
        out.push_back(in[pos]);
      } else {
        out.append(replacement);
      }
      pos += n;
    }
    return out;
  }

  iconv(cd, nullptr, nullptr, nullptr, nullptr);
  char buffer[64 * 1024];
  char* inPtr = const_cast<char*>(in.data());
  std::size_t inLeft = in.size();
  while (inLeft > 0) {
    char* outPtr = buffer;
    std::size_t outLeft = sizeof buffer;
    const std::size_t result = iconv(cd, &inPtr, &inLeft, &outPtr, &outLeft);
    const int error = errno;
    out.append(buffer, static_cast<std::size_t>(outPtr - buffer));
    if (result != static_cast<std::size_t>(-1) || error == E2BIG) continue;
    // EILSEQ, or EINVAL for a sequence cut off by the end of the input.
    const std::size_t pos = in.size() - inLeft;
    const std::size_t skip = error == EINVAL ? 1 : CharLength(in, pos, source);
    out.append(replacement);
    inPtr += skip;
    inLeft -= skip;
    iconv(cd, nullptr, nullptr, nullptr, nullptr);
  }
  return out;
}

void AppendUtf8(std::string& out, char32_t c) {
  if (c < 0x80) {
    out.push_back(static_cast<char>(c));
  } else if (c < 0x800) {
    out.push_back(static_cast<char>(0xC0 | (c >> 6)));
    out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
  } else if (c < 0x10000) {
    out.push_back(static_cast<char>(0xE0 | (c >> 12)));
    out.push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
    out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
  } else {
    out.push_back(static_cast<char>(0xF0 | (c >> 18)));
    out.push_back(static_cast<char>(0x80 | ((c >> 12) & 0x3F)));
    out.push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
    out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
  }
}

std::string Utf16ToUtf8(std::u16string_view text) {
  std::string out;
  out.reserve(text.size() + text.size() / 2);
  for (std::size_t i = 0; i < text.size(); ++i) {
    const char16_t unit = text[i];
    if (unit < 0xD800 || unit > 0xDFFF) {
      AppendUtf8(out, unit);
      continue;
    }
    const bool pairs = unit <= 0xDBFF && i + 1 < text.size() && text[i + 1] >= 0xDC00 &&
                       text[i + 1] <= 0xDFFF;
    if (!pairs) {
      out.push_back('?');
      continue;
    }
    AppendUtf8(out, 0x10000 + ((static_cast<char32_t>(unit) - 0xD800) << 10) +
                        (static_cast<char32_t>(text[i + 1]) - 0xDC00));
    ++i;
  }
  return out;
}

}  // namespace

CodePage CodePageFromLocale() {
  const char* codeset = nl_langinfo(CODESET);
  if (codeset == nullptr) return CodePage::Utf8;
  // Compare without the separators so "Shift_JIS", "SHIFT-JIS" and "ShiftJIS" all match.
  std::string name;
  for (const char* p = codeset; *p != '\0'; ++p) {
    if (*p != '-' && *p != '_') name.push_back(AsciiUpper(*p));
  }
  if (name == "SHIFTJIS" || name == "SJIS" || name == "CP932" || name == "WINDOWS31J") {
    return CodePage::Cp932;
  }
  return CodePage::Utf8;
}

std::optional<CodePage> ParseCodePageName(std::string_view name) {
  for (std::string_view utf8 : {"UTF-8", "UTF8"}) {
    if (EqualsIgnoringAsciiCase(name, utf8)) return CodePage::Utf8;
  }
  for (std::string_view cp932 : {"CP932", "SHIFT_JIS", "SJIS"}) {
    if (EqualsIgnoringAsciiCase(name, cp932)) return CodePage::Cp932;
  }
  return std::nullopt;
}

CodePage SystemCodePage() {
  const int set = g_systemCodePage.load(std::memory_order_relaxed);
  if (set < 0) return CodePageFromLocale();
  return static_cast<CodePage>(set);
}

void SetSystemCodePage(CodePage cp) {
  g_systemCodePage.store(static_cast<int>(cp), std::memory_order_relaxed);
}

std::string FromUtf8(std::string_view utf8, CodePage cp) {
  if (cp == CodePage::Utf8) return RepairUtf8(utf8, "?");
  return ConvertWithIconv(utf8, Utf8ToCp932(), CodePage::Utf8, "?");
}

bool IsWellFormedUtf8(std::string_view text) { return SkipValidUtf8(text, 0) == text.size(); }

std::string FromUtf8InPlace(std::string utf8, CodePage cp) {
  if (cp == CodePage::Utf8 && IsWellFormedUtf8(utf8)) return utf8;
  return FromUtf8(utf8, cp);
}

std::string ToUtf8(std::string_view bytes, CodePage cp) {
  if (cp == CodePage::Utf8) return RepairUtf8(bytes, kReplacementUtf8);
  return ConvertWithIconv(bytes, Cp932ToUtf8(), CodePage::Cp932, kReplacementUtf8);
}

namespace {

// The character set detector's library, loaded at the first guess: most runs import no
// text file, and a library loaded at start stays partly resident for the whole run.
struct Uchardet {
  decltype(&uchardet_new) create = nullptr;
  decltype(&uchardet_handle_data) handleData = nullptr;
  decltype(&uchardet_data_end) dataEnd = nullptr;
  decltype(&uchardet_get_charset) getCharset = nullptr;
  decltype(&uchardet_delete) destroy = nullptr;
};

// The library's functions; null when it or one of them is missing.
const Uchardet* LoadUchardet() {
  static const Uchardet* const loaded = []() -> const Uchardet* {
    void* library = OpenLibrary("libuchardet.so.0");
    if (!library) return nullptr;
    static Uchardet api;
    const bool bAll = LookUp(library, api.create, "uchardet_new") &&
                      LookUp(library, api.handleData, "uchardet_handle_data") &&
                      LookUp(library, api.dataEnd, "uchardet_data_end") &&
                      LookUp(library, api.getCharset, "uchardet_get_charset") &&
                      LookUp(library, api.destroy, "uchardet_delete");
    return bAll ? &api : nullptr;
  }();
  return loaded;
}

}  // namespace

std::string GuessCharset(std::string_view bytes) {
  // The detector takes about 0.3 ms per KiB and plain ASCII tells it nothing: it sees only
  // the lines with other bytes, up to this much of them.
  constexpr std::size_t kSampleBytes = 64 * 1024;
  const Uchardet* api = LoadUchardet();
  if (api == nullptr) return {};
  uchardet_t detector = api->create();
  if (detector == nullptr) return {};
  bool fine = true;
  std::size_t fed = 0;
  for (std::size_t start = 0; fine && start < bytes.size() && fed < kSampleBytes;) {
    const std::size_t newline = bytes.find('\n', start);
    const std::size_t end = newline == std::string_view::npos ? bytes.size() : newline + 1;
    const std::string_view line = bytes.substr(start, std::min(end - start, kSampleBytes - fed));
    start = end;
    if (SkipAscii(line, 0) == line.size()) continue;
    fine = api->handleData(detector, line.data(), line.size()) == 0;
    fed += line.size();
  }
  std::string charset;
  if (fine) {
    api->dataEnd(detector);
    charset = api->getCharset(detector);
  }
  api->destroy(detector);
  return charset;
}

std::optional<std::string> FromCharset(std::string_view bytes, const std::string& charset,
                                       CodePage cp) {
  const IconvHandle toUtf8("UTF-8", charset.c_str());
  if (!toUtf8.Valid()) return std::nullopt;
  std::string utf8 = ConvertWithIconv(bytes, toUtf8.Get(), CodePage::Utf8, kReplacementUtf8);
  return FromUtf8InPlace(std::move(utf8), cp);
}

std::string FromUtf16(std::u16string_view text, CodePage cp) {
  // Lone surrogates are already '?' in the UTF-8 form, which then converts unchanged.
  std::string utf8 = Utf16ToUtf8(text);
  if (cp == CodePage::Utf8) return utf8;
  return FromUtf8(utf8, cp);
}

std::size_t CharLength(std::string_view s, std::size_t pos, CodePage cp) {
  if (pos >= s.size()) return 0;
  if (cp == CodePage::Utf8) {
    const std::size_t n = WellFormedUtf8Length(s, pos);
    return n == 0 ? 1 : n;
  }
  const auto lead = static_cast<unsigned char>(s[pos]);
  if (!IsCp932Lead(lead) || pos + 1 >= s.size()) return 1;
  return IsCp932Trail(static_cast<unsigned char>(s[pos + 1])) ? 2 : 1;
}

std::size_t CharBoundaryAtOrBefore(std::string_view s, std::size_t maxBytes, CodePage cp) {
  if (maxBytes >= s.size()) return s.size();
  std::size_t pos = 0;
  while (pos < maxBytes) {
    const std::size_t n = CharLength(s, pos, cp);
    if (pos + n > maxBytes) break;
    pos += n;
  }
  return pos;
}

std::string_view MarkerBytes(CodePage cp) {
  return cp == CodePage::Cp932 ? kMarkerCp932 : kMarkerUtf8;
}

}  // namespace platform
