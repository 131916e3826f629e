#include "platform/instance_client.h"

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/time.h>
#include <sys/un.h>
#include <unistd.h>

namespace platform {
namespace {

constexpr char kSocketName[] = "tolvane.sock";

}  // namespace

std::string ClientSocketPath() {
  const char* runtime = std::getenv("XDG_RUNTIME_DIR");
  if (runtime && runtime[0] == '/') return std::string(runtime) + '/' + kSocketName;
  const std::string folder = "/tmp/tolvane-" + std::to_string(::geteuid());
  struct stat info {};
  if (::lstat(folder.c_str(), &info) != 0 || !S_ISDIR(info.st_mode) ||
      info.st_uid != ::geteuid() || (info.st_mode & 077) != 0) {
    return {};
  }
  return folder + '/' + kSocketName;
}

InstanceConnection::~InstanceConnection() {
  if (m_fd >= 0) ::close(m_fd);
}

bool InstanceConnection::Connect(const std::string& socketPath, int timeoutMs) {
  sockaddr_un address{};
  address.sun_family = AF_UNIX;
  if (socketPath.empty() || socketPath.size() >= sizeof address.sun_path) return false;
  std::memcpy(address.sun_path, socketPath.data(), socketPath.size());
  m_fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
  if (m_fd < 0) return false;
  if (timeoutMs >= 0) {
    // Zero would mean no limit at all.
    const int ms = std::max(timeoutMs, 1);
    const timeval limit{ms / 1000, (ms % 1000) * 1000};
    ::setsockopt(m_fd, SOL_SOCKET, SO_SNDTIMEO, &limit, sizeof limit);
    ::setsockopt(m_fd, SOL_SOCKET, SO_RCVTIMEO, &limit, sizeof limit);
  }
  if (::connect(m_fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0) {
    ::close(m_fd);
    m_fd = -1;
    return false;
  }
  return true;
}

bool InstanceConnection::Send(const InstanceRequest& request) {
  const std::string bytes = EncodeInstanceRequest(request);
  if (bytes.empty() || m_fd < 0) return false;
  std::size_t sent = 0;
  while (sent < bytes.size()) {
    const ssize_t n = ::send(m_fd, bytes.data() + sent, bytes.size() - sent, MSG_NOSIGNAL);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;
    sent += static_cast<std::size_t>(n);
  }
  return true;
}

std::optional<InstanceAnswer> InstanceConnection::Receive() {
  InstanceAnswer answer;
  char chunk[65536];
  for (;;) {
    switch (TakeInstanceAnswer(m_received, answer)) {
      case AnswerFrame::Complete:
        return answer;
      case AnswerFrame::Invalid:
        return std::nullopt;
      case AnswerFrame::Incomplete:
        break;
    }
    if (m_fd < 0) return std::nullopt;
    const ssize_t n = ::recv(m_fd, chunk, sizeof chunk, 0);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return std::nullopt;
    m_received.append(chunk, static_cast<std::size_t>(n));
  }
}

}  // namespace platform
