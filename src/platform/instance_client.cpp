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

std::string FolderOf(const std::string& path) {
  const std::size_t slash = path.rfind('/');
  if (slash == std::string::npos) return ".";
  return slash == 0 ? "/" : path.substr(0, slash);
}

}  // namespace

std::string ClientSocketPath() {
  const char* runtime = std::getenv("XDG_RUNTIME_DIR");
  if (runtime && runtime[0] == '/') return std::string(runtime) + '/' + kSocketName;
  return "/tmp/tolvane-" + std::to_string(::geteuid()) + '/' + kSocketName;
}

std::string UnsafeSocketReason(const std::string& socketPath) {
  const std::string folder = FolderOf(socketPath);
  struct stat info {};
  if (::lstat(folder.c_str(), &info) != 0) return {};
  if (!S_ISDIR(info.st_mode)) return folder + " is not a folder";
  if (info.st_uid != ::geteuid()) {
    return folder + " belongs to user " + std::to_string(info.st_uid) + ", not to you";
  }
  if ((info.st_mode & 022) != 0) return folder + " may be written by other users";
  if (::lstat(socketPath.c_str(), &info) != 0) return {};
  if (!S_ISSOCK(info.st_mode)) return socketPath + " is not a socket";
  if (info.st_uid != ::geteuid()) {
    return socketPath + " belongs to user " + std::to_string(info.st_uid) + ", not to you";
  }
  return {};
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
