#include "platform/single_instance.h"

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QElapsedTimer>
#include <QCoreApplication>
#include <QPointer>
#include <QSocketNotifier>
#include <QThreadPool>
#include <QTimer>
#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <unordered_set>

#include "platform/instance_client.h"
#include "platform/local_connection.h"

namespace platform {
namespace {

constexpr char kSocketName[] = "tolvane.sock";
const char kDeadlineName[] = "tolvaneDeadline";
// A request this large is taken apart on another thread, not on the window's.
constexpr std::size_t kParseOffThreadSize = 1024 * 1024;
// A subscriber dropped for falling behind has this long to read the rest of the event it
// was in the middle of, and why it was dropped.
constexpr int kDroppedGraceMs = 5000;
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
  RequestChannel* self = this;
  PushToAll(std::span(&self, 1), payload);
}

bool RequestChannel::IsSubscribed() const {
  return m_bKeptOpen && !m_bAnswered && m_pConnection->IsOpen();
}

void RequestChannel::DropAsTooSlow() {
  m_bAnswered = true;
  m_pConnection->DropUnstarted();
  Write(AnswerStatus::Failed, "dropped: more than 64 MiB of events waited unread");
  m_pConnection->CloseAfterWriting();
  QTimer::singleShot(kDroppedGraceMs, m_pConnection, &LocalConnection::Abort);
}

void RequestChannel::PushToAll(std::span<RequestChannel* const> channels,
                               std::string_view payload) {
  std::vector<RequestChannel*> live;
  for (RequestChannel* channel : channels) {
    if (channel && channel->IsSubscribed()) live.push_back(channel);
  }
  // Events are shared between subscribers: what waits is each distinct event once.
  const auto backlog = [&live] {
    std::unordered_set<const std::string*> counted;
    std::size_t total = 0;
    for (const RequestChannel* channel : live) {
      for (const auto& block : channel->m_pConnection->Queued()) {
        if (counted.insert(block.get()).second) total += block->size();
      }
    }
    return total;
  };
  while (!live.empty() && backlog() > kMaxSubscribersBacklog) {
    const auto slowest = std::max_element(live.begin(), live.end(), [](auto* a, auto* b) {
      return a->m_pConnection->BytesToWrite() < b->m_pConnection->BytesToWrite();
    });
    (*slowest)->DropAsTooSlow();
    live.erase(slowest);
  }
  if (live.empty()) return;
  std::string bytes = EncodeInstanceAnswer(AnswerStatus::Ok, payload);
  if (bytes.empty()) bytes = EncodeInstanceAnswer(AnswerStatus::Failed, "answer too large");
  const auto event = std::make_shared<const std::string>(std::move(bytes));
  for (RequestChannel* channel : live) channel->m_pConnection->Write(event);
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
    if (!HasRoomForConnection()) {
      connection->IgnoreIncoming();
      connection->Write(EncodeInstanceAnswer(
          AnswerStatus::Failed, "too many connections to Tolvane at once; try again later"));
      connection->CloseAfterWriting();
      continue;
    }
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

bool SingleInstance::HasRoomForConnection() const {
  int open = 0;
  for (const LocalConnection* c : findChildren<LocalConnection*>(Qt::FindDirectChildrenOnly)) {
    if (c->IsOpen()) ++open;
  }
  // The connection just accepted counts too.
  return open <= kMaxConnections;
}

void SingleInstance::OnBytesReceived(LocalConnection* connection) {
  const std::string_view bytes = connection->Received();
  const RequestFrame frame = CheckRequestFrame(bytes);
  if (frame == RequestFrame::Incomplete) {
    // Room for the whole message at once, so that a large one is not copied as it grows.
    connection->ReserveReceived(AnnouncedRequestSize(bytes));
    return;
  }
  if (frame == RequestFrame::Invalid) {
    connection->Abort();
    return;
  }
  if (auto* deadline = connection->findChild<QTimer*>(QLatin1String(kDeadlineName))) {
    deadline->stop();
  }
  // The request is whole: whatever the peer sends from now on is not taken.
  disconnect(connection, &LocalConnection::BytesReceived, this, nullptr);
  std::string message = connection->TakeReceived();
  connection->IgnoreIncoming();
  if (message.size() < kParseOffThreadSize) {
    OnRequest(connection, ParseInstanceRequest(message));
    return;
  }
  // A large text is checked and copied out on another thread; the window's thread only
  // takes the result, if the connection is still there by then.
  QThreadPool::globalInstance()->start(
      [self = QPointer<SingleInstance>(this), peer = QPointer<LocalConnection>(connection),
       message = std::move(message)]() mutable {
        auto request = std::make_shared<std::optional<InstanceRequest>>(
            ParseInstanceRequest(message));
        std::string().swap(message);
        QMetaObject::invokeMethod(QCoreApplication::instance(), [self, peer, request] {
          if (self && peer && peer->IsOpen()) self->OnRequest(peer, std::move(*request));
        }, Qt::QueuedConnection);
      });
}

void SingleInstance::OnRequest(LocalConnection* connection, std::optional<InstanceRequest> request) {
  if (!request) {
    connection->Abort();
    return;
  }
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
