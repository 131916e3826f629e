#include "platform/instance_request.h"

#include <gtest/gtest.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>

#include "platform/instance_client.h"

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
  // An "add" takes a text of exactly 64 MiB, not a byte more.
  std::string text(kMaxAddTextSize, 'a');
  EXPECT_EQ(EncodeInstanceRequest({"add", {text}}).size(), kMaxAddRequestSize);
  text.push_back('a');
  EXPECT_TRUE(EncodeInstanceRequest({"add", {text}}).empty());

  // A header that announces more than the limit is refused before the bytes arrive, as
  // soon as the verb shows it is not an "add".
  const std::string announced = std::string(kRequestMagic) + U32(kMaxRequestSize) + Field("open");
  EXPECT_EQ(CheckRequestFrame(announced), RequestFrame::Invalid);
  EXPECT_EQ(CheckRequestFrame("TOLVANE1\r"), RequestFrame::Invalid);
}

// A client sends nothing through a socket that another user could have put there.
TEST(InstanceRequestTest, OnlyASocketOfOurOwnInAFolderOfOurOwnIsTrusted) {
  char base[] = "/tmp/tolvane-socket-test-XXXXXX";
  ASSERT_NE(::mkdtemp(base), nullptr);
  const std::string folder = base;
  const std::string socketPath = folder + "/tolvane.sock";
  EXPECT_EQ(UnsafeSocketReason(folder + "/missing/tolvane.sock"), "");
  EXPECT_EQ(UnsafeSocketReason(socketPath), "");

  const int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
  sockaddr_un address{};
  address.sun_family = AF_UNIX;
  std::strcpy(address.sun_path, socketPath.c_str());
  ASSERT_EQ(::bind(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address), 0);
  EXPECT_EQ(UnsafeSocketReason(socketPath), "");

  const struct {
    const char* what;
    mode_t folderMode;
    bool otherOwner;
  } unsafe[] = {
      {"a folder others may write, sticky or not", 01777, false},
      {"a folder writable by the group", 0770, false},
      {"a socket of another user", 0700, true},
  };
  for (const auto& row : unsafe) {
    if (row.otherOwner && ::geteuid() != 0) continue;  // only root can give a file away
    ASSERT_EQ(::chmod(folder.c_str(), row.folderMode), 0);
    if (row.otherOwner) ASSERT_EQ(::lchown(socketPath.c_str(), 65534, 65534), 0);
    EXPECT_NE(UnsafeSocketReason(socketPath), "") << row.what;
    ASSERT_EQ(::chmod(folder.c_str(), 0700), 0);
    ASSERT_EQ(::lchown(socketPath.c_str(), ::geteuid(), ::getegid()), 0);
  }
  ::close(fd);
  ::unlink(socketPath.c_str());
  ::rmdir(folder.c_str());
}

}  // namespace
}  // namespace platform
