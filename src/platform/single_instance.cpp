#include "platform/single_instance.h"

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QElapsedTimer>
#include <QSocketNotifier>
#include <QTimer>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include "platform/instance_client.h"
#include "platform/local_connection.h"

namespace platform {
namespace {

constexpr char kSocketName[] = "tolvane.sock";
const char kDeadlineName[] = "tolvaneDeadline";
constexpr std::size_t kMaxSubscriberBacklog = 64 * 1024 * 1024;
// After running out of descriptors, the listener rests this long before it accepts again.
constexpr int kAcceptPauseMs = 100;

// A folder of our own that nobody else may enter (or replace with a link).
bool IsPrivateFolder(const QByteArray& path) {
  struct stat info {};
  return ::lstat(path.constData(), &info) == 0 && S_ISDIR(info.st_mode) &&
         info.st_uid == ::geteuid() && (info.st_mode & 077) == 0;
}

// Held while a start decides whether to hand over or to listen, so that two programs
// started at once do not both listen. An advisory lock on a file beside the socket: the
// kernel lets go of it when the process ends, however it ends, and taking it writes
// nothing to disk. Given up after `timeoutMs`; the start then goes on without it.
class StartLock {
 public:
  StartLock(const QString& path, int timeoutMs)
      : m_fd(::open(QFile::encodeName(path).constData(),
                    O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600)) {
    if (m_fd < 0) return;
    QElapsedTimer waited;
    waited.start();
    while (::flock(m_fd, LOCK_EX | LOCK_NB) != 0) {
      if ((errno != EWOULDBLOCK && errno != EINTR) || waited.elapsed() >= timeoutMs) break;
      ::usleep(2000);
    }
  }
  ~StartLock() {
    if (m_fd >= 0) ::close(m_fd);
  }
  StartLock(const StartLock&) = delete;
  StartLock& operator=(const StartLock&) = delete;

 private:
  int m_fd;
};

// The peer of a local connection runs as our user.
bool PeerIsSameUser(int fd) {
  ucred peer{};
  socklen_t size = sizeof peer;
  return ::getsockopt(fd, SOL_SOCKET, SO_PEERCRED, &peer, &size) == 0 &&
         size == sizeof peer && peer.uid == ::geteuid();
}

// Says on standard error why the socket at `path` is not used.
bool IsSafeSocket(const QString& path) {
  const std::string problem = UnsafeSocketReason(QFile::encodeName(path).toStdString());
  if (problem.empty()) return true;
  qWarning("tolvane: %s: running without the socket through which later starts hand over "
           "their files",
           problem.c_str());
  return false;
}

}  // namespace

QString InstanceSocketPath() {
  const QByteArray runtime = qgetenv("XDG_RUNTIME_DIR");
  if (!runtime.isEmpty() && runtime.startsWith('/')) {
    return QDir(QString::fromLocal8Bit(runtime)).filePath(QLatin1String(kSocketName));
  }
  const QByteArray fallback = "/tmp/tolvane-" + QByteArray::number(::geteuid());
  ::mkdir(fallback.constData(), 0700);
  if (!IsPrivateFolder(fallback)) {
    qWarning("tolvane: %s is not a folder of yours closed to others: running without the "
             "socket through which later starts hand over their files",
             fallback.constData());
    return {};
  }
  return QString::fromLocal8Bit(fallback) + QLatin1Char('/') + QLatin1String(kSocketName);
}

RequestChannel::RequestChannel(LocalConnection* connection)
    : QObject(connection), m_pConnection(connection) {}

void RequestChannel::Write(AnswerStatus status, std::string_view payload) {
  std::string bytes = EncodeInstanceAnswer({status, std::string(payload)});
  if (bytes.empty()) bytes = EncodeInstanceAnswer({AnswerStatus::Failed, "answer too large"});
  // Goes out at once as far as the socket takes it: a watcher waits for it.
  m_pConnection->Write(std::move(bytes));
}

void RequestChannel::Answer(AnswerStatus status, std::string_view payload) {
  if (m_bAnswered) return;
  m_bAnswered = true;
  Write(status, payload);
  m_pConnection->CloseAfterWriting();
}

void RequestChannel::Push(std::string_view payload) {
  if (m_bAnswered || !m_pConnection->IsOpen()) return;
  // A subscriber that stopped reading is dropped rather than buffered for without end.
  if (m_pConnection->BytesToWrite() > kMaxSubscriberBacklog) {
    m_pConnection->Abort();
    return;
  }
  Write(AnswerStatus::Ok, payload);
}

SingleInstance::SingleInstance(QString socketPath, QObject* parent)
    : QObject(parent), m_strSocketPath(std::move(socketPath)) {}

SingleInstance::~SingleInstance() { StopListening(); }

SingleInstance::Role SingleInstance::Start(const InstanceRequest& request, int timeoutMs) {
  if (m_strSocketPath.isEmpty()) return Role::Alone;
  if (!IsSafeSocket(m_strSocketPath)) return Role::Alone;
  // Two programs started at once must not both take the socket.
  const StartLock lock(m_strSocketPath + QLatin1String(".lock"), timeoutMs);

  InstanceConnection connection;
  if (connection.Connect(QFile::encodeName(m_strSocketPath).toStdString(), timeoutMs)) {
    return SendOver(connection, request) ? Role::HandedOver : Role::Alone;
  }
  return Listen() ? Role::Primary : Role::Alone;
}

bool SingleInstance::Send(const QString& socketPath, const InstanceRequest& request,
                          int timeoutMs) {
  InstanceConnection connection;
  return IsSafeSocket(socketPath) &&
         connection.Connect(QFile::encodeName(socketPath).toStdString(), timeoutMs) &&
         SendOver(connection, request);
}

bool SingleInstance::SendOver(InstanceConnection& connection, const InstanceRequest& request) {
  if (!connection.Send(request)) return false;
  const std::optional<InstanceAnswer> answer = connection.Receive();
  return answer && answer->status == AnswerStatus::Ok;
}

bool SingleInstance::Listen() {
  const QByteArray path = QFile::encodeName(m_strSocketPath);
  sockaddr_un address{};
  address.sun_family = AF_UNIX;
  if (static_cast<std::size_t>(path.size()) >= sizeof address.sun_path) return false;
  std::memcpy(address.sun_path, path.constData(), static_cast<std::size_t>(path.size()));

  const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
  if (fd < 0) return false;
  // Nobody answered there: what is left is the socket of a program that crashed.
  ::unlink(path.constData());
  // Made closed to other users from its first moment rather than narrowed afterwards.
  const mode_t previousMask = ::umask(077);
  const bool bound = ::bind(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) == 0;
  ::umask(previousMask);
  struct stat info {};
  if (!bound || ::listen(fd, SOMAXCONN) != 0 || ::lstat(path.constData(), &info) != 0) {
    if (bound) ::unlink(path.constData());
    ::close(fd);
    return false;
  }
  m_listenFd = fd;
  m_nSocketDevice = info.st_dev;
  m_nSocketInode = info.st_ino;
  m_pListenNotifier = new QSocketNotifier(fd, QSocketNotifier::Read, this);
  connect(m_pListenNotifier, &QSocketNotifier::activated, this, &SingleInstance::OnNewConnection);
  return true;
}

void SingleInstance::StopListening() {
  if (m_listenFd < 0) return;
  m_pListenNotifier->setEnabled(false);
  ::close(m_listenFd);
  m_listenFd = -1;
  // Another program may have put its own socket there meanwhile: that one stays.
  const QByteArray path = QFile::encodeName(m_strSocketPath);
  struct stat info {};
  if (::lstat(path.constData(), &info) == 0 && info.st_dev == m_nSocketDevice &&
      info.st_ino == m_nSocketInode) {
    ::unlink(path.constData());
  }
}

void SingleInstance::OnNewConnection() {
  for (;;) {
    const int fd = ::accept4(m_listenFd, nullptr, nullptr, SOCK_NONBLOCK | SOCK_CLOEXEC);
    if (fd < 0) {
      if (errno == EINTR || errno == ECONNABORTED) continue;
      if (errno == EAGAIN || errno == EWOULDBLOCK) return;
      // Out of descriptors, say: the waiting peer would wake the loop again at once.
      m_pListenNotifier->setEnabled(false);
      QTimer::singleShot(kAcceptPauseMs, this, [this] {
        if (m_listenFd >= 0) m_pListenNotifier->setEnabled(true);
      });
      return;
    }
    if (!PeerIsSameUser(fd)) {
      ::close(fd);
      continue;
    }
    auto* connection = new LocalConnection(fd, kMaxAddRequestSize + 1, this);
    // A peer that never finishes its request is cut off.
    auto* deadline = new QTimer(connection);
    deadline->setObjectName(QLatin1String(kDeadlineName));
    deadline->setSingleShot(true);
    connect(deadline, &QTimer::timeout, connection, &LocalConnection::Abort);
    deadline->start(m_nRequestTimeoutMs);
    connect(connection, &LocalConnection::BytesReceived, this,
            [this, connection] { OnBytesReceived(connection); });
  }
}

void SingleInstance::OnBytesReceived(LocalConnection* connection) {
  const std::string_view bytes = connection->Received();
  const RequestFrame frame = CheckRequestFrame(bytes);
  if (frame == RequestFrame::Incomplete) return;
  const std::optional<InstanceRequest> request =
      frame == RequestFrame::Complete ? ParseInstanceRequest(bytes) : std::nullopt;
  if (!request) {
    connection->Abort();
    return;
  }
  if (auto* deadline = connection->findChild<QTimer*>(QLatin1String(kDeadlineName))) {
    deadline->stop();
  }
  // The request is whole: whatever the peer sends from now on is not taken.
  disconnect(connection, &LocalConnection::BytesReceived, this, nullptr);
  connection->IgnoreIncoming();
  auto* channel = new RequestChannel(connection);
  if (request->verb != kOpenVerb) {
    emit ScriptRequestReceived(*request, channel);
    if (!channel->IsHandled()) channel->Answer(AnswerStatus::Refused, "unknown command");
    return;
  }
  channel->Answer(AnswerStatus::Ok);
  // Handled once this connection is done: opening files may show message boxes.
  QTimer::singleShot(0, this, [this, request = *request] { emit RequestReceived(request); });
}

}  // namespace platform
