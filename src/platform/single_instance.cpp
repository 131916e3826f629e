#include "platform/single_instance.h"

#include <QByteArray>
#include <QDir>
#include <QLocalServer>
#include <QLocalSocket>
#include <QLockFile>
#include <QTimer>
#include <sys/socket.h>
#include <sys/stat.h>
#include <unistd.h>

namespace platform {
namespace {

constexpr char kSocketName[] = "tolvane.sock";
constexpr int kConnectionTimeoutMs = 5000;
const char kBufferProperty[] = "tolvaneRequest";
const char kDeadlineName[] = "tolvaneDeadline";
constexpr qint64 kMaxSubscriberBacklog = 64 * 1024 * 1024;

// A folder of our own that nobody else may enter (or replace with a link).
bool IsPrivateFolder(const QByteArray& path) {
  struct stat info {};
  return ::lstat(path.constData(), &info) == 0 && S_ISDIR(info.st_mode) &&
         info.st_uid == ::geteuid() && (info.st_mode & 077) == 0;
}

// The peer of a local connection runs as our user.
bool PeerIsSameUser(const QLocalSocket* socket) {
  ucred peer{};
  socklen_t size = sizeof peer;
  const auto fd = static_cast<int>(socket->socketDescriptor());
  return fd >= 0 && ::getsockopt(fd, SOL_SOCKET, SO_PEERCRED, &peer, &size) == 0 &&
         size == sizeof peer && peer.uid == ::geteuid();
}

}  // namespace

QString InstanceSocketPath() {
  const QByteArray runtime = qgetenv("XDG_RUNTIME_DIR");
  if (!runtime.isEmpty() && runtime.startsWith('/')) {
    return QDir(QString::fromLocal8Bit(runtime)).filePath(QLatin1String(kSocketName));
  }
  const QByteArray fallback = "/tmp/tolvane-" + QByteArray::number(::geteuid());
  ::mkdir(fallback.constData(), 0700);
  if (!IsPrivateFolder(fallback)) return {};
  return QString::fromLocal8Bit(fallback) + QLatin1Char('/') + QLatin1String(kSocketName);
}

RequestChannel::RequestChannel(QLocalSocket* socket) : QObject(socket), m_pSocket(socket) {}

void RequestChannel::Write(AnswerStatus status, std::string_view payload) {
  std::string bytes = EncodeInstanceAnswer({status, std::string(payload)});
  if (bytes.empty()) bytes = EncodeInstanceAnswer({AnswerStatus::Failed, "answer too large"});
  m_pSocket->write(bytes.data(), static_cast<qint64>(bytes.size()));
  // Out now rather than on the next pass of the event loop: a watcher waits for it.
  m_pSocket->flush();
}

void RequestChannel::Answer(AnswerStatus status, std::string_view payload) {
  if (m_bAnswered) return;
  m_bAnswered = true;
  Write(status, payload);
  m_pSocket->disconnectFromServer();  // after the answer is written
}

void RequestChannel::Push(std::string_view payload) {
  if (m_bAnswered || m_pSocket->state() != QLocalSocket::ConnectedState) return;
  // A subscriber that stopped reading is dropped rather than buffered for without end.
  if (m_pSocket->bytesToWrite() > kMaxSubscriberBacklog) {
    m_pSocket->abort();
    return;
  }
  Write(AnswerStatus::Ok, payload);
}

SingleInstance::SingleInstance(QString socketPath, QObject* parent)
    : QObject(parent), m_strSocketPath(std::move(socketPath)) {}

SingleInstance::~SingleInstance() {
  if (m_pServer) m_pServer->close();  // removes the socket file
}

SingleInstance::Role SingleInstance::Start(const InstanceRequest& request, int timeoutMs) {
  if (m_strSocketPath.isEmpty()) return Role::Alone;
  // Two programs started at once must not both take the socket.
  QLockFile lock(m_strSocketPath + QLatin1String(".lock"));
  lock.tryLock(timeoutMs);

  QLocalSocket socket;
  socket.connectToServer(m_strSocketPath);
  if (socket.waitForConnected(timeoutMs)) {
    return SendOver(socket, request, timeoutMs) ? Role::HandedOver : Role::Alone;
  }
  return Listen() ? Role::Primary : Role::Alone;
}

bool SingleInstance::Send(const QString& socketPath, const InstanceRequest& request,
                          int timeoutMs) {
  QLocalSocket socket;
  socket.connectToServer(socketPath);
  return socket.waitForConnected(timeoutMs) && SendOver(socket, request, timeoutMs);
}

bool SingleInstance::SendOver(QLocalSocket& socket, const InstanceRequest& request,
                              int timeoutMs) {
  const std::string message = EncodeInstanceRequest(request);
  if (message.empty()) return false;
  socket.write(message.data(), static_cast<qint64>(message.size()));
  if (!socket.waitForBytesWritten(timeoutMs)) return false;
  std::string received;
  InstanceAnswer answer;
  AnswerFrame frame = AnswerFrame::Incomplete;
  while ((frame = TakeInstanceAnswer(received, answer)) == AnswerFrame::Incomplete &&
         socket.waitForReadyRead(timeoutMs)) {
    received += socket.readAll().toStdString();
  }
  return frame == AnswerFrame::Complete && answer.status == AnswerStatus::Ok;
}

bool SingleInstance::Listen() {
  m_pServer = new QLocalServer(this);
  m_pServer->setSocketOptions(QLocalServer::UserAccessOption);
  // Nobody answered there: what is left is the socket of a program that crashed.
  QLocalServer::removeServer(m_strSocketPath);
  if (!m_pServer->listen(m_strSocketPath)) {
    delete m_pServer;
    m_pServer = nullptr;
    return false;
  }
  connect(m_pServer, &QLocalServer::newConnection, this, &SingleInstance::OnNewConnection);
  return true;
}

void SingleInstance::OnNewConnection() {
  while (QLocalSocket* socket = m_pServer->nextPendingConnection()) {
    connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
    if (!PeerIsSameUser(socket)) {
      socket->abort();
      socket->deleteLater();
      continue;
    }
    // A peer that never finishes its request is cut off.
    auto* deadline = new QTimer(socket);
    deadline->setObjectName(QLatin1String(kDeadlineName));
    deadline->setSingleShot(true);
    connect(deadline, &QTimer::timeout, socket, &QLocalSocket::abort);
    deadline->start(kConnectionTimeoutMs);
    connect(socket, &QLocalSocket::readyRead, this, [this, socket] { OnReadyRead(socket); });
    if (socket->bytesAvailable() > 0) OnReadyRead(socket);
  }
}

void SingleInstance::OnReadyRead(QLocalSocket* socket) {
  QByteArray received = socket->property(kBufferProperty).toByteArray();
  // Dropped from the property first, so that appending does not copy what came before.
  socket->setProperty(kBufferProperty, QVariant());
  received += socket->read(static_cast<qint64>(kMaxAddRequestSize) + 1 - received.size());
  socket->setProperty(kBufferProperty, received);
  const std::string_view bytes(received.constData(), static_cast<std::size_t>(received.size()));
  const RequestFrame frame = CheckRequestFrame(bytes);
  if (frame == RequestFrame::Incomplete) return;
  const std::optional<InstanceRequest> request =
      frame == RequestFrame::Complete ? ParseInstanceRequest(bytes) : std::nullopt;
  if (!request) {
    socket->abort();
    socket->deleteLater();
    return;
  }
  socket->setProperty(kBufferProperty, QVariant());
  if (auto* deadline = socket->findChild<QTimer*>(QLatin1String(kDeadlineName))) deadline->stop();
  // The request is whole: whatever the peer sends from now on is not read.
  disconnect(socket, &QLocalSocket::readyRead, this, nullptr);
  auto* channel = new RequestChannel(socket);
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
