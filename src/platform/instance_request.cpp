#include "platform/instance_request.h"

#include <algorithm>
#include <cstdint>

namespace platform {
namespace {

constexpr std::size_t kHeaderSize = kRequestMagic.size() + 4;
constexpr std::size_t kMaxVerbLength = 16;

void AppendU32(std::string& out, std::uint32_t value) {
  for (int shift = 24; shift >= 0; shift -= 8) out.push_back(static_cast<char>((value >> shift) & 0xFF));
}

// Reads the message's parts front to back; every read fails once the bytes run out.
class Reader {
 public:
  explicit Reader(std::string_view bytes) : m_bytes(bytes) {}

  std::optional<std::uint32_t> U32() {
    if (m_bytes.size() < 4) return std::nullopt;
    std::uint32_t value = 0;
    for (int i = 0; i < 4; ++i) value = (value << 8) | static_cast<unsigned char>(m_bytes[i]);
    m_bytes.remove_prefix(4);
    return value;
  }
  std::optional<std::string_view> Field() {
    const auto size = U32();
    if (!size || *size > m_bytes.size()) return std::nullopt;
    const std::string_view field = m_bytes.substr(0, *size);
    m_bytes.remove_prefix(*size);
    return field;
  }
  bool AtEnd() const { return m_bytes.empty(); }

 private:
  std::string_view m_bytes;
};

bool IsVerb(std::string_view verb) {
  if (verb.empty() || verb.size() > kMaxVerbLength) return false;
  for (char c : verb) {
    if (c < 'a' || c > 'z') return false;
  }
  return true;
}

// Well-formed UTF-8 without a zero byte: shortest forms only, no surrogates, at most
// U+10FFFF.
bool IsCleanUtf8(std::string_view text) {
  std::size_t i = 0;
  while (i < text.size()) {
    const auto lead = static_cast<unsigned char>(text[i]);
    if (lead == 0) return false;
    if (lead < 0x80) {
      ++i;
      continue;
    }
    std::size_t length = 0;
    std::uint32_t code = 0;
    if (lead >= 0xC2 && lead <= 0xDF) {
      length = 2, code = lead & 0x1F;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
      length = 3, code = lead & 0x0F;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
      length = 4, code = lead & 0x07;
    } else {
      return false;
    }
    if (text.size() - i < length) return false;
    for (std::size_t k = 1; k < length; ++k) {
      const auto next = static_cast<unsigned char>(text[i + k]);
      if ((next & 0xC0) != 0x80) return false;
      code = (code << 6) | (next & 0x3F);
    }
    if ((length == 3 && code < 0x800) || (length == 4 && code < 0x10000) || code > 0x10FFFF ||
        (code >= 0xD800 && code <= 0xDFFF)) {
      return false;
    }
    i += length;
  }
  return true;
}

}  // namespace

std::size_t MaxRequestSize(std::string_view verb) {
  return verb == kAddVerb ? kMaxAddRequestSize : kMaxRequestSize;
}

std::string EncodeInstanceRequest(const InstanceRequest& request) {
  std::string payload;
  AppendU32(payload, static_cast<std::uint32_t>(request.verb.size()));
  payload += request.verb;
  AppendU32(payload, static_cast<std::uint32_t>(request.arguments.size()));
  for (const std::string& argument : request.arguments) {
    if (argument.size() > MaxRequestSize(request.verb)) return {};
    AppendU32(payload, static_cast<std::uint32_t>(argument.size()));
    payload += argument;
  }
  if (kHeaderSize + payload.size() > MaxRequestSize(request.verb)) return {};
  std::string message(kRequestMagic);
  AppendU32(message, static_cast<std::uint32_t>(payload.size()));
  return message + payload;
}

RequestFrame CheckRequestFrame(std::string_view received) {
  const std::size_t magic = std::min(received.size(), kRequestMagic.size());
  if (received.substr(0, magic) != kRequestMagic.substr(0, magic)) return RequestFrame::Invalid;
  if (received.size() < kHeaderSize) return RequestFrame::Incomplete;
  Reader header(received.substr(kRequestMagic.size(), 4));
  const std::uint64_t total = kHeaderSize + static_cast<std::uint64_t>(*header.U32());
  if (total > kMaxAddRequestSize || received.size() > total) return RequestFrame::Invalid;
  if (total > kMaxRequestSize) {
    // Only an "add" may be this large: wait for its verb, and refuse any other.
    Reader verb(received.substr(kHeaderSize));
    const auto verbSize = verb.U32();
    if (!verbSize) return RequestFrame::Incomplete;
    if (*verbSize != kAddVerb.size()) return RequestFrame::Invalid;
    const std::string_view shown = received.substr(kHeaderSize + 4, kAddVerb.size());
    if (shown != kAddVerb.substr(0, shown.size())) return RequestFrame::Invalid;
  }
  return received.size() == total ? RequestFrame::Complete : RequestFrame::Incomplete;
}

std::size_t AnnouncedRequestSize(std::string_view received) {
  if (received.size() < kHeaderSize || received.substr(0, kRequestMagic.size()) != kRequestMagic) {
    return 0;
  }
  std::size_t size = 0;
  for (std::size_t i = kRequestMagic.size(); i < kHeaderSize; ++i) {
    size = (size << 8) | static_cast<unsigned char>(received[i]);
  }
  return kHeaderSize + size;
}

std::optional<InstanceRequest> ParseInstanceRequest(std::string_view message) {
  if (CheckRequestFrame(message) != RequestFrame::Complete) return std::nullopt;
  Reader reader(message.substr(kHeaderSize));
  const auto verb = reader.Field();
  if (!verb || !IsVerb(*verb)) return std::nullopt;
  const auto count = reader.U32();
  // Every argument takes at least its four size bytes: a larger count is a lie.
  if (!count || *count > message.size() / 4) return std::nullopt;

  InstanceRequest request{std::string(*verb), {}};
  for (std::uint32_t i = 0; i < *count; ++i) {
    const auto argument = reader.Field();
    if (!argument || !IsCleanUtf8(*argument)) return std::nullopt;
    if (request.verb == kOpenVerb && (argument->empty() || argument->front() != '/')) {
      return std::nullopt;
    }
    request.arguments.emplace_back(*argument);
  }
  if (!reader.AtEnd()) return std::nullopt;
  return request;
}

}  // namespace platform
