#pragma once

#include <QObject>
#include <QString>
#include <memory>

#include "platform/instance_answer.h"
#include "platform/instance_request.h"

class QLocalServer;
class QLocalSocket;

namespace platform {

// The per-user socket through which a second start of the program reaches the first:
// $XDG_RUNTIME_DIR/tolvane.sock, or /tmp/tolvane-<uid>/tolvane.sock (a folder only the
// user may enter). Empty when neither folder can be used safely.
QString InstanceSocketPath();

// The connection of one request that is answered by the program's own code. Lives as
// long as the connection; hold it through a QPointer.
class RequestChannel : public QObject {
  Q_OBJECT

 public:
  explicit RequestChannel(QLocalSocket* socket);

  // Sends the one answer and closes the connection once it is written.
  void Answer(AnswerStatus status, std::string_view payload = {});
  // Makes the connection a subscription: it stays open for Push() until the peer leaves.
  void KeepOpen() { m_bKeptOpen = true; }
  // Sends one event of a subscription.
  void Push(std::string_view payload);
  bool IsHandled() const { return m_bAnswered || m_bKeptOpen; }

 private:
  void Write(AnswerStatus status, std::string_view payload);

  QLocalSocket* m_pSocket;
  bool m_bAnswered = false;
  bool m_bKeptOpen = false;
};

// One running program per user. Start either hands a request to the program that
// already runs, or makes this one the program that answers such requests.
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

 signals:
  // A well-formed "open" from a program of the same user, after it was answered.
  void RequestReceived(const platform::InstanceRequest& request);
  // Any other well-formed verb, to be answered through `channel` right away (or kept
  // open as a subscription); a request nobody takes is refused as unknown.
  void ScriptRequestReceived(const platform::InstanceRequest& request,
                             platform::RequestChannel* channel);

 private:
  static bool SendOver(QLocalSocket& socket, const InstanceRequest& request, int timeoutMs);
  bool Listen();
  void OnNewConnection();
  void OnReadyRead(QLocalSocket* socket);

  QString m_strSocketPath;
  QLocalServer* m_pServer = nullptr;
};

}  // namespace platform
