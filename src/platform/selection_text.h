#pragma once

#include <string>
#include <string_view>

#include "platform/code_page.h"

namespace platform {

// How the bytes of a selection's text are encoded: UTF-8 for UTF8_STRING and the
// text/plain flavours, ISO Latin-1 for X11's STRING.
enum class SelectionEncoding { Utf8, Latin1 };

// The clipboard text as an item: decoded, cut at its first zero, converted to `cp`.
// Where that changes nothing, the result takes over `bytes`' memory instead of copying
// it. Throws std::bad_alloc when memory runs out.
std::string SelectionTextToItem(std::string bytes, SelectionEncoding encoding, CodePage cp);

// The type (X11 target, MIME type) by which password managers mark content as a secret.
inline constexpr char kPasswordHintType[] = "x-kde-passwordManagerHint";

// True when the value of the password managers' hint marks the content as a secret.
bool IsSecretHintValue(std::string_view value);

}  // namespace platform
