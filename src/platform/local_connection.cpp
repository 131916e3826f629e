#include "platform/local_connection.h"

#include <QSocketNotifier>
#include <algorithm>
#include <cerrno>
#include <sys/socket.h>
#include <unistd.h>

namespace platform {
namespace {

// Read per wake-up of the loop, so that one busy peer cannot hold the window's thread.
constexpr std::size_t kReadChunk = 256 * 1024;

bool IsTransient(int error) {
  return error == EAGAIN || error == EWOULDBLOCK || error == EINTR;
}

}  // namespace

LocalConnection::LocalConnection(int fd, std::size_t readLimit, QObject* parent)
    : QObject(parent),
      m_fd(fd),
      m_nReadLimit(readLimit),
      m_pReadNotifier(new QSocketNotifier(fd, QSocketNotifier::Read, this)),
      m_pWriteNotifier(new QSocketNotifier(fd, QSocketNotifier::Write, this)) {
  m_pWriteNotifier->setEnabled(false);
  connect(m_pReadNotifier, &QSocketNotifier::activated, this, &LocalConnection::OnReadable);
  connect(m_pWriteNotifier, &QSocketNotifier::activated, this, &LocalConnection::SendPending);
}

LocalConnection::~LocalConnection() {
  if (m_fd < 0) return;
  m_pReadNotifier->setEnabled(false);
  m_pWriteNotifier->setEnabled(false);
  ::close(m_fd);
}

void LocalConnection::IgnoreIncoming() {
  m_bIgnoreIncoming = true;
  std::string().swap(m_received);
  if (IsOpen()) m_pReadNotifier->setEnabled(true);
}

void LocalConnection::OnReadable() {
  if (!IsOpen()) return;
  if (m_bIgnoreIncoming) {
    char scratch[16 * 1024];
    const ssize_t n = ::recv(m_fd, scratch, sizeof scratch, 0);
    if (n == 0 || (n < 0 && !IsTransient(errno))) OnPeerLeft();
    return;
  }
  const std::size_t room = std::min(m_nReadLimit - m_received.size(), kReadChunk);
  if (room == 0) {
    // Full: the owner has what it may have; the rest stays unread.
    m_pReadNotifier->setEnabled(false);
    return;
  }
  const std::size_t before = m_received.size();
  m_received.resize(before + room);
  const ssize_t n = ::recv(m_fd, m_received.data() + before, room, 0);
  m_received.resize(before + static_cast<std::size_t>(std::max<ssize_t>(n, 0)));
  if (n > 0) {
    emit BytesReceived();
    return;
  }
  if (n == 0 || !IsTransient(errno)) OnPeerLeft();
}

void LocalConnection::OnPeerLeft() {
  // A peer that only shut its sending side may still read the answer it waits for.
  if (m_bCloseWhenWritten && BytesToWrite() > 0) {
    m_pReadNotifier->setEnabled(false);
    return;
  }
  Abort();
}

void LocalConnection::ReserveReceived(std::size_t size) {
  m_received.reserve(std::min(size, m_nReadLimit));
}

void LocalConnection::Write(std::string bytes) {
  if (bytes.empty()) return;
  Write(std::make_shared<const std::string>(std::move(bytes)));
}

void LocalConnection::Write(std::shared_ptr<const std::string> bytes) {
  if (!IsOpen() || m_bCloseWhenWritten || !bytes || bytes->empty()) return;
  m_nQueued += bytes->size();
  m_outgoing.push_back(std::move(bytes));
  SendPending();
}

void LocalConnection::DropUnstarted() {
  const std::size_t keep = m_nWritten > 0 ? 1 : 0;
  while (m_outgoing.size() > keep) {
    m_nQueued -= m_outgoing.back()->size();
    m_outgoing.pop_back();
  }
}

void LocalConnection::SendPending() {
  if (!IsOpen()) return;
  while (!m_outgoing.empty()) {
    const std::string& block = *m_outgoing.front();
    // MSG_NOSIGNAL: a peer that went away is an error here, not a SIGPIPE that ends us.
    const ssize_t n = ::send(m_fd, block.data() + m_nWritten, block.size() - m_nWritten,
                             MSG_NOSIGNAL | MSG_DONTWAIT);
    if (n > 0) {
      m_nWritten += static_cast<std::size_t>(n);
      if (m_nWritten < block.size()) continue;
      m_nQueued -= block.size();
      m_nWritten = 0;
      m_outgoing.pop_front();
    } else if (n < 0 && errno == EINTR) {
      continue;
    } else if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) {
      m_pWriteNotifier->setEnabled(true);
      return;
    } else {
      Abort();
      return;
    }
  }
  m_pWriteNotifier->setEnabled(false);
  if (m_bCloseWhenWritten) Abort();
}

void LocalConnection::CloseAfterWriting() {
  m_bCloseWhenWritten = true;
  if (BytesToWrite() == 0) Abort();
}

void LocalConnection::Abort() {
  if (!IsOpen()) return;
  // The notifiers must let go of the descriptor before it is closed and reused.
  m_pReadNotifier->setEnabled(false);
  m_pWriteNotifier->setEnabled(false);
  ::close(m_fd);
  m_fd = -1;
  std::string().swap(m_received);
  m_outgoing.clear();
  m_nQueued = 0;
  m_nWritten = 0;
  deleteLater();
}

}  // namespace platform
