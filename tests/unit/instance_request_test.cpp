#include "platform/instance_request.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>

namespace platform {
namespace {

std::string U32(std::uint32_t value) {
  std::string out;
  for (int shift = 24; shift >= 0; shift -= 8) out.push_back(static_cast<char>(value >> shift));
  return out;
}

std::string Field(const std::string& text) { return U32(static_cast<std::uint32_t>(text.size())) + text; }

// A message with a hand-made payload, its size header computed.
std::string Message(const std::string& payload) {
  return std::string(kRequestMagic) + U32(static_cast<std::uint32_t>(payload.size())) + payload;
}

TEST(InstanceRequestTest, EncodedRequestsParseBack) {
  const InstanceRequest requests[] = {
      {"open", {}},
      {"open", {"/home/u/list.tvn", "/tmp/リスト 2.tvn"}},
      {"read", {"3"}},
      {"count", {}},
  };
  for (const InstanceRequest& request : requests) {
    const std::string bytes = EncodeInstanceRequest(request);
    EXPECT_EQ(CheckRequestFrame(bytes), RequestFrame::Complete) << request.verb;
    EXPECT_EQ(ParseInstanceRequest(bytes), request) << request.verb;
    // Every proper prefix waits for more.
    for (std::size_t n = 0; n < bytes.size(); ++n) {
      ASSERT_EQ(CheckRequestFrame(bytes.substr(0, n)), RequestFrame::Incomplete) << n;
    }
  }
}

TEST(InstanceRequestTest, MalformedMessagesAreRefused) {
  const std::string open = Field("open");
  const struct {
    const char* what;
    std::string bytes;
  } cases[] = {
      {"foreign header", "GET / HTTP/1.1\r\n\r\n"},
      {"older version", "TOLVANE0\n" + U32(4) + open},
      {"bytes after the message", Message(open + U32(0)) + "x"},
      {"announced size too large", std::string(kRequestMagic) + U32(0xFFFFFFFF)},
      {"empty payload", Message("")},
      {"count missing", Message(open)},
      {"empty verb", Message(Field("") + U32(0))},
      {"verb with capitals", Message(Field("Open") + U32(0))},
      {"verb with a zero byte", Message(Field(std::string("op\0n", 4)) + U32(0))},
      {"verb too long", Message(Field(std::string(17, 'a')) + U32(0))},
      {"field beyond the end", Message(U32(100) + "open")},
      {"count larger than the arguments", Message(open + U32(2) + Field("/a"))},
      {"huge count", Message(open + U32(0x7FFFFFFF))},
      {"leftover inside the payload", Message(open + U32(1) + Field("/a") + "zz")},
      {"relative path to open", Message(open + U32(1) + Field("list.tvn"))},
      {"empty path to open", Message(open + U32(1) + Field(""))},
      {"zero byte in a path", Message(open + U32(1) + Field(std::string("/a\0b", 4)))},
      {"invalid UTF-8", Message(open + U32(1) + Field("/a\xff"))},
      {"overlong UTF-8", Message(open + U32(1) + Field("/\xc0\xaf"))},
      {"UTF-16 surrogate", Message(open + U32(1) + Field("/\xed\xa0\x80"))},
      {"cut UTF-8 sequence", Message(open + U32(1) + Field("/\xe3\x81"))},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(ParseInstanceRequest(c.bytes), std::nullopt) << c.what;
  }
}

TEST(InstanceRequestTest, SizeLimit) {
  const std::size_t overhead = EncodeInstanceRequest({"open", {"/"}}).size() - 1;
  const std::string fits(kMaxRequestSize - overhead, 'a');
  EXPECT_EQ(EncodeInstanceRequest({"open", {"/" + fits.substr(1)}}).size(), kMaxRequestSize);
  EXPECT_TRUE(EncodeInstanceRequest({"open", {"/" + fits}}).empty());

  // A header that announces more than the limit is refused before the bytes arrive, as
  // soon as the verb shows it is not an "add".
  const std::string announced = std::string(kRequestMagic) + U32(kMaxRequestSize) + Field("open");
  EXPECT_EQ(CheckRequestFrame(announced), RequestFrame::Invalid);
  EXPECT_EQ(CheckRequestFrame("TOLVANE1\r"), RequestFrame::Invalid);
}

}  // namespace
}  // namespace platform
