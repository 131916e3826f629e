#pragma once

#include <optional>
#include <string>

#include "platform/instance_answer.h"
#include "platform/instance_request.h"

namespace platform {

// Where the running program listens, as a client finds it without creating anything:
// $XDG_RUNTIME_DIR/tolvane.sock, else /tmp/tolvane-<uid>/tolvane.sock.
std::string ClientSocketPath();

// Why the socket at `socketPath` may not be trusted with a request, or empty when it may:
// its folder must be the user's own and writable by nobody else, and the socket, where
// one is there, the user's own. Another user could otherwise listen there and read what
// is sent, or answer in the running program's place. A folder that is not there yet is
// no problem.
std::string UnsafeSocketReason(const std::string& socketPath);

// One connection to the running program, with plain POSIX calls (no event loop needed).
class InstanceConnection {
 public:
  InstanceConnection() = default;
  ~InstanceConnection();
  InstanceConnection(const InstanceConnection&) = delete;
  InstanceConnection& operator=(const InstanceConnection&) = delete;

  // False when nothing listens at `socketPath`. With `timeoutMs` at 0 or more, connecting
  // and each later wait to send or receive give up after that long.
  bool Connect(const std::string& socketPath, int timeoutMs = -1);
  // Writes the whole request; false when it is too large or the peer went away.
  bool Send(const InstanceRequest& request);
  // Waits for the next answer; nullopt when the connection ends first or the bytes are
  // not an answer (the program dropped the request).
  std::optional<InstanceAnswer> Receive();

 private:
  int m_fd = -1;
  std::string m_received;
};

}  // namespace platform
