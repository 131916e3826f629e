#include "platform/instance_answer.h"

#include <algorithm>

#include "platform/instance_request.h"

namespace platform {
namespace {

constexpr std::size_t kHeaderSize = kRequestMagic.size() + 4;

}  // namespace

std::string EncodeInstanceAnswer(const InstanceAnswer& answer) {
  return EncodeInstanceAnswer(answer.status, answer.payload);
}

std::string EncodeInstanceAnswer(AnswerStatus status, std::string_view payload) {
  const std::size_t payloadSize = 1 + payload.size();
  if (kHeaderSize + payloadSize > kMaxAnswerSize) return {};
  std::string message(kRequestMagic);
  message.reserve(kHeaderSize + payloadSize);
  for (int shift = 24; shift >= 0; shift -= 8) {
    message.push_back(static_cast<char>((payloadSize >> shift) & 0xFF));
  }
  message.push_back(static_cast<char>(status));
  message += payload;
  return message;
}

AnswerFrame TakeInstanceAnswer(std::string& buffer, InstanceAnswer& answer) {
  const std::size_t magic = std::min(buffer.size(), kRequestMagic.size());
  if (std::string_view(buffer).substr(0, magic) != kRequestMagic.substr(0, magic)) {
    return AnswerFrame::Invalid;
  }
  if (buffer.size() < kHeaderSize) return AnswerFrame::Incomplete;
  std::uint64_t payloadSize = 0;
  for (std::size_t i = kRequestMagic.size(); i < kHeaderSize; ++i) {
    payloadSize = (payloadSize << 8) | static_cast<unsigned char>(buffer[i]);
  }
  if (payloadSize == 0 || kHeaderSize + payloadSize > kMaxAnswerSize) return AnswerFrame::Invalid;
  if (buffer.size() > kHeaderSize) {
    const auto status = static_cast<unsigned char>(buffer[kHeaderSize]);
    if (status > static_cast<unsigned char>(AnswerStatus::Refused)) return AnswerFrame::Invalid;
  }
  const std::size_t total = kHeaderSize + static_cast<std::size_t>(payloadSize);
  if (buffer.size() < total) return AnswerFrame::Incomplete;
  answer.status = static_cast<AnswerStatus>(buffer[kHeaderSize]);
  answer.payload.assign(buffer, kHeaderSize + 1, total - kHeaderSize - 1);
  buffer.erase(0, total);
  return AnswerFrame::Complete;
}

}  // namespace platform
