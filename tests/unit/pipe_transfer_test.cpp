#include <gtest/gtest.h>
#include <unistd.h>

#include <string>
#include <thread>

#include "platform/pipe_transfer.h"

namespace {

using platform::TransferResult;

struct Pipe {
  int fds[2] = {-1, -1};
  Pipe() { EXPECT_EQ(pipe(fds), 0); }
  ~Pipe() {
    for (const int fd : fds) {
      if (fd >= 0) close(fd);
    }
  }
  void CloseWriteEnd() {
    close(fds[1]);
    fds[1] = -1;
  }
};

TEST(PipeTransferTest, ChoosesTheBestTextType) {
  const std::pair<std::vector<std::string>, std::string> cases[] = {
      {{"UTF8_STRING", "text/plain", "text/plain;charset=utf-8"}, "text/plain;charset=utf-8"},
      {{"image/png", "UTF8_STRING", "text/plain"}, "text/plain"},
      {{"TEXT", "UTF8_STRING"}, "UTF8_STRING"},
      {{"image/png", "text/html", "STRING"}, ""},
      {{}, ""},
  };
  for (const auto& [types, expected] : cases) {
    EXPECT_EQ(platform::ChooseTextType(types), expected) << expected;
  }
}

// Bytes pass whole in both directions, larger than a pipe holds at once.
TEST(PipeTransferTest, LargeTextPassesWhole) {
  std::string sent(3 * 1024 * 1024 + 7, 'a');
  for (std::size_t i = 0; i < sent.size(); i += 997) sent[i] = static_cast<char>(i % 251);
  Pipe pipe;
  TransferResult written = TransferResult::Failed;
  std::thread writer([&] {
    written = platform::WriteAll(pipe.fds[1], sent, 1000, -1);
    pipe.CloseWriteEnd();
  });
  std::string received;
  EXPECT_EQ(platform::ReadToEnd(pipe.fds[0], 1000, -1, received), TransferResult::Done);
  writer.join();
  EXPECT_EQ(written, TransferResult::Done);
  EXPECT_TRUE(received == sent) << received.size() << " of " << sent.size();
}

// A peer that makes no progress is given up; a wake stops the wait at once.
TEST(PipeTransferTest, StalledPeerIsGivenUpAndWakeInterrupts) {
  Pipe data;
  Pipe wake;
  std::string received;
  EXPECT_EQ(platform::ReadToEnd(data.fds[0], 50, wake.fds[0], received), TransferResult::Stalled);
  std::string full(1024 * 1024, 'x');  // more than the pipe holds, and nobody reads
  EXPECT_EQ(platform::WriteAll(data.fds[1], full, 50, wake.fds[0]), TransferResult::Stalled);

  ASSERT_EQ(write(wake.fds[1], "w", 1), 1);
  EXPECT_EQ(platform::WriteAll(data.fds[1], full, 5000, wake.fds[0]),
            TransferResult::Interrupted);
  Pipe empty;
  EXPECT_EQ(platform::ReadToEnd(empty.fds[0], 5000, wake.fds[0], received),
            TransferResult::Interrupted);
}

}  // namespace
