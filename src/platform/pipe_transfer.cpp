#include "platform/pipe_transfer.h"

#include <algorithm>
#include <cerrno>
#include <fcntl.h>
#include <poll.h>
#include <unistd.h>

namespace platform {
namespace {

constexpr std::size_t kChunk = 64 * 1024;

// Waits until `fd` is ready for `events`; Done when it is (or has hung up).
TransferResult AwaitReady(int fd, short events, int giveUpMs, int wakeFd) {
  pollfd fds[2] = {{fd, events, 0}, {wakeFd, POLLIN, 0}};
  for (;;) {
    const int ready = poll(fds, wakeFd >= 0 ? 2 : 1, giveUpMs);
    if (ready < 0 && errno == EINTR) continue;
    if (ready < 0) return TransferResult::Failed;
    if (ready == 0) return TransferResult::Stalled;
    if (wakeFd >= 0 && (fds[1].revents & POLLIN)) return TransferResult::Interrupted;
    return TransferResult::Done;
  }
}

void MakeNonBlocking(int fd) { fcntl(fd, F_SETFL, fcntl(fd, F_GETFL) | O_NONBLOCK); }

}  // namespace

TransferResult ReadToEnd(int fd, int giveUpMs, int wakeFd, std::string& out) {
  MakeNonBlocking(fd);
  for (;;) {
    const TransferResult ready = AwaitReady(fd, POLLIN, giveUpMs, wakeFd);
    if (ready != TransferResult::Done) return ready;
    const std::size_t used = out.size();
    // Grow geometrically: a large text arrives in many small pieces.
    if (out.capacity() - used < kChunk) out.reserve(std::max(out.capacity() * 2, used + kChunk));
    out.resize(out.capacity());
    const ssize_t n = read(fd, out.data() + used, out.size() - used);
    out.resize(used + static_cast<std::size_t>(std::max<ssize_t>(n, 0)));
    if (n == 0) return TransferResult::Done;
    if (n < 0 && errno != EAGAIN && errno != EINTR) return TransferResult::Failed;
  }
}

TransferResult WriteAll(int fd, std::string_view data, int giveUpMs, int wakeFd) {
  MakeNonBlocking(fd);
  while (!data.empty()) {
    const TransferResult ready = AwaitReady(fd, POLLOUT, giveUpMs, wakeFd);
    if (ready != TransferResult::Done) return ready;
    const ssize_t n = write(fd, data.data(), std::min(data.size(), kChunk));
    if (n < 0 && errno != EAGAIN && errno != EINTR) return TransferResult::Failed;
    if (n > 0) data.remove_prefix(static_cast<std::size_t>(n));
  }
  return TransferResult::Done;
}

std::string ChooseTextType(const std::vector<std::string>& types) {
  static const char* const kTextTypes[] = {"text/plain;charset=utf-8", "text/plain",
                                           "UTF8_STRING"};
  for (const char* wanted : kTextTypes) {
    if (std::find(types.begin(), types.end(), wanted) != types.end()) return wanted;
  }
  return {};
}

}  // namespace platform
