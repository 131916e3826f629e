#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace platform {

// The code page of the items' bytes: UTF-8, or CP932 for lists made on a Japanese
// Windows system or under a Shift-JIS locale.
enum class CodePage { Utf8, Cp932 };

// The code page of the current LC_CTYPE locale; the caller has run setlocale(LC_CTYPE, "").
// A Shift-JIS family character set gives Cp932, everything else (C and POSIX too) Utf8.
CodePage CodePageFromLocale();

// The "CodePage" setting: "CP932" or "UTF-8" (also "UTF8", "SHIFT_JIS", "SJIS"),
// ASCII case-insensitive.
std::optional<CodePage> ParseCodePageName(std::string_view name);

// The process-wide code page: the locale's until SetSystemCodePage is called.
CodePage SystemCodePage();
void SetSystemCodePage(CodePage cp);

// UTF-8 to the code page; a character the code page lacks, or an invalid UTF-8 byte,
// becomes '?'.
std::string FromUtf8(std::string_view utf8, CodePage cp);
// True when `text` is well-formed UTF-8 throughout.
bool IsWellFormedUtf8(std::string_view text);

// The same as FromUtf8, reusing `utf8`'s memory where nothing changes (well-formed UTF-8 to UTF-8):
// a large text is then not copied.
std::string FromUtf8InPlace(std::string utf8, CodePage cp);

// The code page to UTF-8 for display and the clipboard; each invalid sequence becomes
// U+FFFD.
std::string ToUtf8(std::string_view bytes, CodePage cp);

// The character set that text without a byte order mark is most likely written in, as
// uchardet names it (names iconv knows: "ISO-8859-1", "SHIFT_JIS", "EUC-JP" ...); empty
// when it cannot tell.
std::string GuessCharset(std::string_view bytes);

// Text in the character set `charset` (an iconv name) to the code page: a sequence the set
// does not have becomes U+FFFD, a character the code page lacks '?'. nullopt when iconv
// does not know the set.
std::optional<std::string> FromCharset(std::string_view bytes, const std::string& charset,
                                       CodePage cp);

// UTF-16 to the code page; characters without a counterpart and lone surrogates
// become '?'.
std::string FromUtf16(std::u16string_view text, CodePage cp);

// Bytes of the character starting at pos: 1 for an invalid or truncated sequence,
// 0 when pos is at or past the end. Never reaches past s.size().
std::size_t CharLength(std::string_view s, std::size_t pos, CodePage cp);

// The largest n <= maxBytes such that s[0, n) ends on a character boundary. Looks at
// no more than about maxBytes bytes of s.
std::size_t CharBoundaryAtOrBefore(std::string_view s, std::size_t maxBytes, CodePage cp);

// The clipboard marker "◎" in the code page.
std::string_view MarkerBytes(CodePage cp);

}  // namespace platform
