#pragma once

#include <QObject>
#include <QString>
#include <memory>
#include <optional>
#include <span>

#include "platform/instance_answer.h"
#include "platform/instance_request.h"

class QSocketNotifier;

namespace platform {

class InstanceConnection;
class LocalConnection;

// The per-user socket through which a second start of the program reaches the first:
// $XDG_RUNTIME_DIR/tolvane.sock, or /tmp/tolvane-<uid>/tolvane.sock (a folder only the
// user may enter). Empty when neither folder can be used safely.
QString InstanceSocketPath();

// The connection of one request that is answered by the program's own code. Lives as
// long as the connection; hold it through a QPointer.
class RequestChannel : public QObject {
  Q_OBJECT

 public:
  explicit RequestChannel(LocalConnection* connection);

  // Sends the one answer and closes the connection once it is written.
  void Answer(AnswerStatus status, std::string_view payload = {});
  // Makes the connection a subscription: it stays open for Push() until the peer leaves.
  void KeepOpen() { m_bKeptOpen = true; }
  // Sends one event of a subscription.
  void Push(std::string_view payload);
  // Sends one event to each subscription in `channels` as one shared copy, however many
  // they are. What waits for all subscribers together stays within
  // kMaxSubscribersBacklog: before the event goes out, those furthest behind are dropped
  // until the rest fits, and each dropped one is told why.
  static void PushToAll(std::span<RequestChannel* const> channels, std::string_view payload);
  bool IsHandled() const { return m_bAnswered || m_bKeptOpen; }

 private:
  void Write(AnswerStatus status, std::string_view payload);
  bool IsSubscribed() const;
  void DropAsTooSlow();

  LocalConnection* m_pConnection;
  bool m_bAnswered = false;
  bool m_bKeptOpen = false;
};

// One running program per user. Start either hands a request to the program that
// already runs, or makes this one the program that answers such requests.
// All that may wait unread for the subscribers of events, together.
inline constexpr std::size_t kMaxSubscribersBacklog = 64 * 1024 * 1024;
// Connections open at once; one more is refused with a message.
inline constexpr int kMaxConnections = 64;

class SingleInstance : public QObject {
  Q_OBJECT

 public:
  enum class Role {
    HandedOver,  // another instance runs and took the request: end this one
    Primary,     // none ran: this one now answers requests
    Alone,       // no socket could be used: run without answering
  };

  explicit SingleInstance(QString socketPath, QObject* parent = nullptr);
  ~SingleInstance() override;

  // Offers `request` to a running instance; when none answers (a socket left by a
  // crash included), listens on the socket instead.
  Role Start(const InstanceRequest& request, int timeoutMs = 5000);

  // Sends `request` to whatever listens at `socketPath` and waits for its answer.
  static bool Send(const QString& socketPath, const InstanceRequest& request, int timeoutMs);

  // How long a peer may take to send its whole request before it is cut off (5 s).
  void SetRequestTimeout(int timeoutMs) { m_nRequestTimeoutMs = timeoutMs; }

 signals:
  // A well-formed "open" from a program of the same user, after it was answered.
  void RequestReceived(const platform::InstanceRequest& request);
  // Any other well-formed verb, to be answered through `channel` right away (or kept
  // open as a subscription); a request nobody takes is refused as unknown.
  // The receiver may move the request's arguments away.
  void ScriptRequestReceived(platform::InstanceRequest& request,
                             platform::RequestChannel* channel);

 private:
  static bool SendOver(InstanceConnection& connection, const InstanceRequest& request);
  bool Listen();
  void StopListening();
  void OnNewConnection();
  void OnBytesReceived(LocalConnection* connection);
  void OnRequest(LocalConnection* connection, std::optional<InstanceRequest> request);
  bool HasRoomForConnection() const;

  QString m_strSocketPath;
  int m_nRequestTimeoutMs = 5000;
  int m_listenFd = -1;
  QSocketNotifier* m_pListenNotifier = nullptr;
  // The socket file as made by Listen(), so that only that one is removed at the end.
  unsigned long long m_nSocketDevice = 0;
  unsigned long long m_nSocketInode = 0;
};

}  // namespace platform
