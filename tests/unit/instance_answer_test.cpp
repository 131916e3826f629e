#include "platform/instance_answer.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>

#include "platform/instance_request.h"

namespace platform {
namespace {

std::string Header(std::uint32_t size) {
  std::string out(kRequestMagic);
  for (int shift = 24; shift >= 0; shift -= 8) out.push_back(static_cast<char>(size >> shift));
  return out;
}

TEST(InstanceAnswerTest, AnswersRoundTripOneAfterAnother) {
  const InstanceAnswer answers[] = {
      {AnswerStatus::Ok, ""},
      {AnswerStatus::Ok, std::string("a\r\nb\0c", 6)},
      {AnswerStatus::Failed, "no such item"},
      {AnswerStatus::Refused, "ｶﾀｶﾅ"},
  };
  // A subscription's stream: every answer back to back, taken in order, and every
  // proper prefix of the first waits for more without consuming anything.
  std::string stream;
  for (const InstanceAnswer& answer : answers) stream += EncodeInstanceAnswer(answer);
  const std::string first = EncodeInstanceAnswer(answers[0]);
  for (std::size_t n = 0; n < first.size(); ++n) {
    std::string prefix = first.substr(0, n);
    InstanceAnswer taken;
    ASSERT_EQ(TakeInstanceAnswer(prefix, taken), AnswerFrame::Incomplete) << n;
    ASSERT_EQ(prefix.size(), n);
  }
  for (const InstanceAnswer& expected : answers) {
    InstanceAnswer taken;
    ASSERT_EQ(TakeInstanceAnswer(stream, taken), AnswerFrame::Complete);
    EXPECT_EQ(taken, expected);
  }
  EXPECT_TRUE(stream.empty());
}

TEST(InstanceAnswerTest, ForeignOrOversizedBytesAreRefused) {
  const struct {
    const char* what;
    std::string bytes;
  } cases[] = {
      {"the old plain answer", "OK\n"},
      {"foreign header", "HTTP/1.1 200 OK\r\n"},
      {"empty payload without status", Header(0)},
      {"unknown status", Header(1) + "\x07"},
      {"size over the limit", Header(static_cast<std::uint32_t>(kMaxAnswerSize))},
  };
  for (const auto& c : cases) {
    std::string buffer = c.bytes;
    InstanceAnswer taken;
    EXPECT_EQ(TakeInstanceAnswer(buffer, taken), AnswerFrame::Invalid) << c.what;
  }
  EXPECT_TRUE(EncodeInstanceAnswer({AnswerStatus::Ok, std::string(kMaxAnswerSize, 'x')}).empty());
}

TEST(InstanceAnswerTest, OnlyAnAddMayExceedTheSmallRequestLimit) {
  const std::string text(kMaxRequestSize, 'x');
  const std::string add = EncodeInstanceRequest({std::string(kAddVerb), {text}});
  ASSERT_FALSE(add.empty());
  EXPECT_EQ(ParseInstanceRequest(add), (InstanceRequest{std::string(kAddVerb), {text}}));
  EXPECT_TRUE(EncodeInstanceRequest({"read", {text}}).empty());
  EXPECT_TRUE(EncodeInstanceRequest({std::string(kAddVerb), {std::string(kMaxAddRequestSize, 'x')}})
                  .empty());

  // A large size waits for the verb, then stands or falls by it.
  const std::string large = Header(static_cast<std::uint32_t>(kMaxRequestSize));
  const struct {
    std::string bytes;
    RequestFrame expected;
  } frames[] = {
      {large, RequestFrame::Incomplete},
      {large + std::string("\0\0\0\x03" "ad", 6), RequestFrame::Incomplete},
      {large + std::string("\0\0\0\x03" "add", 7), RequestFrame::Incomplete},
      {large + std::string("\0\0\0\x03" "cop", 7), RequestFrame::Invalid},
      {large + std::string("\0\0\0\x04" "open", 8), RequestFrame::Invalid},
      {Header(static_cast<std::uint32_t>(kMaxAddRequestSize)), RequestFrame::Invalid},
  };
  for (const auto& f : frames) EXPECT_EQ(CheckRequestFrame(f.bytes), f.expected) << f.bytes.size();
}

}  // namespace
}  // namespace platform
