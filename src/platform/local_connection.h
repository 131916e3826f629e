#pragma once

#include <QObject>
#include <cstddef>
#include <deque>
#include <memory>
#include <string>
#include <utility>

class QSocketNotifier;

namespace platform {

// One accepted connection of a local stream socket, run by the event loop. What arrives
// is gathered up to a limit; writing never blocks: what the socket does not take at once
// waits here and goes out as the socket becomes writable. Once closed, by either side,
// the connection deletes itself on the next pass of the loop, and its children with it.
class LocalConnection : public QObject {
  Q_OBJECT

 public:
  // Takes over `fd`, a connected non-blocking socket; keeps at most `readLimit` bytes of
  // what arrives.
  LocalConnection(int fd, std::size_t readLimit, QObject* parent);
  ~LocalConnection() override;

  int Descriptor() const { return m_fd; }
  bool IsOpen() const { return m_fd >= 0; }
  // What has arrived so far.
  const std::string& Received() const { return m_received; }
  // Makes room for `size` bytes to arrive, so that a large message is not copied over and
  // over as it grows; never beyond the read limit.
  void ReserveReceived(std::size_t size);
  // Hands over what arrived, leaving nothing behind.
  std::string TakeReceived() { return std::exchange(m_received, {}); }
  // Forgets what arrived; from now on incoming bytes are read only to be dropped, so that
  // the peer's leaving is still noticed.
  void IgnoreIncoming();

  void Write(std::string bytes);
  // Queues bytes that other connections may send too: they are shared, not copied.
  void Write(std::shared_ptr<const std::string> bytes);
  std::size_t BytesToWrite() const { return m_nQueued - m_nWritten; }
  // What waits to be written, one shared block per Write().
  const std::deque<std::shared_ptr<const std::string>>& Queued() const { return m_outgoing; }
  // Drops every queued block that has not begun to go out; a block half written stays,
  // so that the peer can still tell where the next message starts.
  void DropUnstarted();
  // Closes once every written byte has gone out.
  void CloseAfterWriting();
  // Closes at once; what was not written yet is dropped.
  void Abort();

 signals:
  void BytesReceived();

 private:
  void OnReadable();
  void OnPeerLeft();
  void SendPending();

  int m_fd;
  std::size_t m_nReadLimit;
  std::string m_received;
  bool m_bIgnoreIncoming = false;
  std::deque<std::shared_ptr<const std::string>> m_outgoing;
  std::size_t m_nQueued = 0;   // bytes in m_outgoing
  std::size_t m_nWritten = 0;  // of m_outgoing.front()
  bool m_bCloseWhenWritten = false;
  QSocketNotifier* m_pReadNotifier;
  QSocketNotifier* m_pWriteNotifier;
};

}  // namespace platform
