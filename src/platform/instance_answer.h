#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace platform {

// What the running program sends back for a request, over the same connection:
//
//   "TOLVANE1\n"  u32 payload size  payload
//   payload = u8 status  bytes
//
// One answer ends a request; a subscription ("watch") receives one answer per event
// until either side closes the connection. The size is most significant byte first.
enum class AnswerStatus : std::uint8_t {
  Ok = 0,
  Failed = 1,   // the request was understood but could not be carried out
  Refused = 2,  // unknown verb or unusable arguments
};

struct InstanceAnswer {
  AnswerStatus status = AnswerStatus::Ok;
  std::string payload;

  bool operator==(const InstanceAnswer&) const = default;
};

// A list of 32,767 long texts fits; anything larger is refused on both ends.
inline constexpr std::size_t kMaxAnswerSize = 512 * 1024 * 1024;

// The bytes of `answer`; empty when they would be larger than kMaxAnswerSize.
std::string EncodeInstanceAnswer(const InstanceAnswer& answer);
std::string EncodeInstanceAnswer(AnswerStatus status, std::string_view payload);

enum class AnswerFrame { Incomplete, Complete, Invalid };
// Takes the first whole answer off the front of `buffer` into `answer`. Incomplete leaves
// the buffer as it is; Invalid means the stream can never hold an answer (foreign bytes,
// a size over the limit, an unknown status).
AnswerFrame TakeInstanceAnswer(std::string& buffer, InstanceAnswer& answer);

}  // namespace platform
