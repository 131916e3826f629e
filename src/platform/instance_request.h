#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace platform {

// A request from another start of the program to the one that runs, over the local
// socket. On the wire:
//
//   "TOLVANE1\n"  u32 payload size  payload
//   payload = field(verb)  u32 argument count  field(argument)...
//   field   = u32 size  bytes (UTF-8, no zero byte)
//
// Numbers are unsigned 32-bit, most significant byte first. The verb is 1..16 lower-case
// ASCII letters ("open" with absolute paths; an "open" without paths only brings the
// window to the front). A message is at most kMaxRequestSize bytes in all, except an
// "add", whose one argument is a whole text read from a pipe: it may take up to
// kMaxAddRequestSize.
struct InstanceRequest {
  std::string verb;
  std::vector<std::string> arguments;

  bool operator==(const InstanceRequest&) const = default;
};

inline constexpr std::string_view kRequestMagic = "TOLVANE1\n";
inline constexpr std::size_t kMaxRequestSize = 64 * 1024;
// The largest text an "add" carries, and the whole message that carries it: the header,
// the verb's field, the argument count and the text's size field come on top.
inline constexpr std::size_t kMaxAddTextSize = 64 * 1024 * 1024;
inline constexpr std::size_t kMaxAddRequestSize = kMaxAddTextSize + 9 + 4 + 4 + 3 + 4 + 4;
inline constexpr std::string_view kOpenVerb = "open";
inline constexpr std::string_view kAddVerb = "add";
// The running program answers with a framed answer: see instance_answer.h.

// The largest message allowed for a request with `verb`.
std::size_t MaxRequestSize(std::string_view verb);

// The bytes of `request`; empty when it would be larger than MaxRequestSize(verb).
std::string EncodeInstanceRequest(const InstanceRequest& request);

// The size of the whole message whose first bytes are `received`, as its header
// announces it; 0 while the header is not complete.
std::size_t AnnouncedRequestSize(std::string_view received);

enum class RequestFrame { Incomplete, Complete, Invalid };
// Whether `received` (the bytes read so far from a connection) holds exactly one whole
// message, needs more, or can never become one (wrong header, too large, extra bytes).
// A size above kMaxRequestSize is refused as soon as the verb shows it is not "add".
RequestFrame CheckRequestFrame(std::string_view received);

// The request in `message`, which must be one whole message; nullopt for anything
// malformed: wrong header or sizes, bytes left over, a bad verb, text that is not UTF-8
// or holds a zero byte, or an "open" path that is not absolute.
std::optional<InstanceRequest> ParseInstanceRequest(std::string_view message);

}  // namespace platform
