// The socket side of one instance per user: what the running program takes from
// another start and what it drops.
#include <QLocalSocket>
#include <QTemporaryDir>
#include <QtTest/QTest>
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/instance_request.h"
#include "platform/single_instance.h"

namespace {

using platform::InstanceRequest;
using platform::SingleInstance;

// Writes `bytes` to the server and collects its answer until it closes the connection.
QByteArray Exchange(const QString& path, const std::string& bytes) {
  QLocalSocket socket;
  socket.connectToServer(path);
  if (!QTest::qWaitFor([&] { return socket.state() == QLocalSocket::ConnectedState; }, 2000)) {
    return "not connected";
  }
  socket.write(bytes.data(), static_cast<qint64>(bytes.size()));
  QByteArray answer;
  const bool closed = QTest::qWaitFor(
      [&] {
        answer += socket.readAll();
        return socket.state() == QLocalSocket::UnconnectedState;
      },
      2000);
  return closed ? answer + socket.readAll() : QByteArray("left open");
}

TEST(SingleInstanceTest, AnswersWellFormedRequestsAndDropsTheRest) {
  QTemporaryDir dir;
  const QString path = dir.filePath(QStringLiteral("tolvane.sock"));
  SingleInstance instance(path);
  ASSERT_EQ(instance.Start({"open", {}}, 500), SingleInstance::Role::Primary);
  std::vector<InstanceRequest> received;
  QObject::connect(&instance, &SingleInstance::RequestReceived,
                   [&](const InstanceRequest& request) { received.push_back(request); });

  // Other verbs go to whoever answers scripts; one nobody takes is refused as unknown.
  QObject::connect(&instance, &SingleInstance::ScriptRequestReceived,
                   [](const InstanceRequest& request, platform::RequestChannel* channel) {
                     if (request.verb == "count") channel->Answer(platform::AnswerStatus::Ok, "7");
                   });
  const auto framed = [](platform::AnswerStatus status, const std::string& payload) {
    return QByteArray::fromStdString(platform::EncodeInstanceAnswer({status, payload}));
  };
  const QByteArray ok = framed(platform::AnswerStatus::Ok, "");

  const InstanceRequest open{"open", {"/home/u/list.tvn"}};
  const std::string valid = platform::EncodeInstanceRequest(open);
  const struct {
    const char* what;
    std::string bytes;
    bool accepted;
    QByteArray answer;
  } cases[] = {
      {"open with a path", valid, true, ok},
      {"another program's bytes", "GET / HTTP/1.1\r\n\r\n", false, {}},
      {"relative path", platform::EncodeInstanceRequest({"open", {"list.tvn"}}), false, {}},
      {"more than announced", valid + "x", false, {}},
      {"announces more than allowed", std::string(platform::kRequestMagic) + "\x7f\xff\xff\xff",
       false, {}},
      {"a script's verb", platform::EncodeInstanceRequest({"count", {}}), false,
       framed(platform::AnswerStatus::Ok, "7")},
      {"an unknown verb", platform::EncodeInstanceRequest({"frob", {}}), false,
       framed(platform::AnswerStatus::Refused, "unknown command")},
  };
  for (const auto& c : cases) {
    received.clear();
    const QByteArray answer = Exchange(path, c.bytes);
    QTest::qWait(20);  // the request is handed on once its connection is done
    EXPECT_EQ(answer, c.answer) << c.what;
    EXPECT_EQ(received.size(), c.accepted ? 1u : 0u) << c.what;
  }
  ASSERT_EQ(Exchange(path, valid), ok);
  QTest::qWait(20);
  EXPECT_EQ(received, std::vector<InstanceRequest>{open});
}

}  // namespace
