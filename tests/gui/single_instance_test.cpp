// The socket side of one instance per user: what the running program takes from
// another start and what it drops.
#include <QFile>
#include <QPointer>
#include <QTemporaryDir>
#include <QtTest/QTest>
#include <gtest/gtest.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <cerrno>
#include <cstring>
#include <memory>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "app/script_service.h"
#include "document/clip_list.h"
#include "platform/code_page.h"
#include "platform/instance_request.h"
#include "platform/local_connection.h"
#include "platform/single_instance.h"

namespace {

using platform::AnswerStatus;
using platform::InstanceRequest;
using platform::RequestChannel;
using platform::SingleInstance;

sockaddr_un AddressOf(const QString& path) {
  sockaddr_un address{};
  address.sun_family = AF_UNIX;
  const QByteArray bytes = path.toLocal8Bit();
  std::memcpy(address.sun_path, bytes.constData(), static_cast<std::size_t>(bytes.size()));
  return address;
}

// A client that never blocks, so that the server in this same thread runs while it waits.
class Peer {
 public:
  explicit Peer(const QString& path)
      : m_fd(::socket(AF_UNIX, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0)) {
    const sockaddr_un address = AddressOf(path);
    m_bConnected =
        ::connect(m_fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) == 0;
  }
  ~Peer() { Close(); }

  bool IsConnected() const { return m_bConnected; }
  void Close() {
    if (m_fd >= 0) ::close(m_fd);
    m_fd = -1;
  }
  bool Write(const std::string& bytes) {
    std::size_t sent = 0;
    const bool ended = QTest::qWaitFor([&] {
      const ssize_t n = ::send(m_fd, bytes.data() + sent, bytes.size() - sent, MSG_NOSIGNAL);
      if (n > 0) sent += static_cast<std::size_t>(n);
      return sent == bytes.size() || (n < 0 && errno != EAGAIN);
    }, 2000);
    return ended && sent == bytes.size();
  }
  // Everything until the server closes the connection; "left open" when it does not.
  std::string ReadUntilClosed(int timeoutMs = 2000) {
    std::string received;
    const bool closed = QTest::qWaitFor([&] { return ReadSome(received); }, timeoutMs);
    return closed ? received : "left open";
  }
  // The next answer of a subscription.
  std::optional<platform::InstanceAnswer> ReadAnswer() {
    platform::InstanceAnswer answer;
    bool closed = false;
    const bool taken = QTest::qWaitFor([&] {
      closed = ReadSome(m_received);
      return closed || platform::TakeInstanceAnswer(m_received, answer) ==
                           platform::AnswerFrame::Complete;
    }, 2000);
    if (!taken || closed) return std::nullopt;
    return answer;
  }

 private:
  // Appends what waits; true once the server has closed the connection.
  bool ReadSome(std::string& received) {
    char chunk[65536];
    for (;;) {
      const ssize_t n = ::recv(m_fd, chunk, sizeof chunk, 0);
      if (n > 0) {
        received.append(chunk, static_cast<std::size_t>(n));
        continue;
      }
      return n == 0 || errno != EAGAIN;
    }
  }

  int m_fd;
  bool m_bConnected = false;
  std::string m_received;
};

std::string Framed(AnswerStatus status, const std::string& payload) {
  return platform::EncodeInstanceAnswer({status, payload});
}

bool NoConnectionLeft(const SingleInstance& instance) {
  return QTest::qWaitFor(
      [&] { return instance.findChildren<platform::LocalConnection*>().isEmpty(); }, 2000);
}

class SingleInstanceTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_EQ(m_instance.Start({"open", {}}, 500), SingleInstance::Role::Primary);
    QObject::connect(&m_instance, &SingleInstance::RequestReceived,
                     [this](const InstanceRequest& request) { m_received.push_back(request); });
  }

  QTemporaryDir m_dir;
  const QString m_path = m_dir.filePath(QStringLiteral("tolvane.sock"));
  SingleInstance m_instance{m_path};
  std::vector<InstanceRequest> m_received;
};

TEST_F(SingleInstanceTest, AnswersWellFormedRequestsAndDropsTheRest) {
  // Larger than what the socket takes at once: it must still arrive whole.
  const std::string big(8 * 1024 * 1024, 'b');
  // Other verbs go to whoever answers scripts; one nobody takes is refused as unknown.
  QObject::connect(&m_instance, &SingleInstance::ScriptRequestReceived,
                   [&](InstanceRequest& request, RequestChannel* channel) {
                     if (request.verb == "count") channel->Answer(AnswerStatus::Ok, "7");
                     if (request.verb == "big") channel->Answer(AnswerStatus::Ok, big);
                   });
  const std::string ok = Framed(AnswerStatus::Ok, "");

  const InstanceRequest open{"open", {"/home/u/list.tvn"}};
  const std::string valid = platform::EncodeInstanceRequest(open);
  const struct {
    const char* what;
    std::string bytes;
    bool accepted;
    std::string answer;
  } cases[] = {
      {"open with a path", valid, true, ok},
      {"another program's bytes", "GET / HTTP/1.1\r\n\r\n", false, {}},
      {"relative path", platform::EncodeInstanceRequest({"open", {"list.tvn"}}), false, {}},
      {"more than announced", valid + "x", false, {}},
      {"announces more than allowed", std::string(platform::kRequestMagic) + "\x7f\xff\xff\xff",
       false, {}},
      {"a script's verb", platform::EncodeInstanceRequest({"count", {}}), false,
       Framed(AnswerStatus::Ok, "7")},
      {"an answer larger than the socket buffer", platform::EncodeInstanceRequest({"big", {}}),
       false, Framed(AnswerStatus::Ok, big)},
      {"an unknown verb", platform::EncodeInstanceRequest({"frob", {}}), false,
       Framed(AnswerStatus::Refused, "unknown command")},
  };
  for (const auto& c : cases) {
    m_received.clear();
    Peer peer(m_path);
    ASSERT_TRUE(peer.IsConnected()) << c.what;
    ASSERT_TRUE(peer.Write(c.bytes)) << c.what;
    const std::string answer = peer.ReadUntilClosed();
    QTest::qWait(20);  // the request is handed on once its connection is done
    EXPECT_TRUE(answer == c.answer) << c.what << ": " << answer.size() << " bytes";
    EXPECT_EQ(m_received.size(), c.accepted ? 1u : 0u) << c.what;
    EXPECT_TRUE(NoConnectionLeft(m_instance)) << c.what;
  }
}

TEST_F(SingleInstanceTest, PeersThatStallOrLeaveMidRequestAreLetGo) {
  m_instance.SetRequestTimeout(100);
  const std::string valid = platform::EncodeInstanceRequest({"open", {"/home/u/list.tvn"}});
  const struct {
    const char* what;
    std::string bytes;
    bool leaves;
  } cases[] = {
      {"sends nothing", "", false},
      {"sends half a frame and waits", valid.substr(0, valid.size() / 2), false},
      {"sends half a frame and leaves", valid.substr(0, valid.size() / 2), true},
  };
  for (const auto& c : cases) {
    Peer peer(m_path);
    ASSERT_TRUE(peer.Write(c.bytes)) << c.what;
    if (c.leaves) {
      peer.Close();
    } else {
      EXPECT_EQ(peer.ReadUntilClosed(1000), "") << c.what << ": cut off at the deadline";
    }
    EXPECT_TRUE(NoConnectionLeft(m_instance)) << c.what;
  }
  // The server still answers afterwards.
  Peer peer(m_path);
  ASSERT_TRUE(peer.Write(valid));
  EXPECT_EQ(peer.ReadUntilClosed(), Framed(AnswerStatus::Ok, ""));
  QTest::qWait(20);
  EXPECT_EQ(m_received.size(), 1u);
}

TEST_F(SingleInstanceTest, SubscriberThatLeavesOrStopsReadingIsDropped) {
  std::vector<QPointer<RequestChannel>> watchers;
  QObject::connect(&m_instance, &SingleInstance::ScriptRequestReceived,
                   [&](InstanceRequest&, RequestChannel* channel) {
                     channel->KeepOpen();
                     watchers.emplace_back(channel);
                   });
  const auto pushToAll = [&](const std::string& payload) {
    std::vector<RequestChannel*> live(watchers.begin(), watchers.end());
    RequestChannel::PushToAll(live, payload);
  };
  {
    Peer peer(m_path);
    ASSERT_TRUE(peer.Write(platform::EncodeInstanceRequest({"watch", {}})));
    ASSERT_TRUE(QTest::qWaitFor([&] { return watchers.size() == 1; }, 2000));
    watchers[0]->Push("one");
    const auto event = peer.ReadAnswer();
    ASSERT_TRUE(event);
    EXPECT_EQ(event->payload, "one");
    // Pushed before the loop has seen the peer go: an error to drop it, not a signal.
    peer.Close();
    watchers[0]->Push("two");
    EXPECT_TRUE(QTest::qWaitFor([&] { return watchers[0].isNull(); }, 2000));
    EXPECT_TRUE(NoConnectionLeft(m_instance));
  }
  // Of two subscribers, the one that stops reading is dropped once the events waiting
  // for it pass 64 MiB, and is told why; the one that reads gets every event.
  watchers.clear();
  Peer stalled(m_path);
  Peer reading(m_path);
  ASSERT_TRUE(stalled.Write(platform::EncodeInstanceRequest({"watch", {}})));
  ASSERT_TRUE(QTest::qWaitFor([&] { return watchers.size() == 1; }, 2000));
  ASSERT_TRUE(reading.Write(platform::EncodeInstanceRequest({"watch", {}})));
  ASSERT_TRUE(QTest::qWaitFor([&] { return watchers.size() == 2; }, 2000));
  const std::string large(17 * 1024 * 1024, 'x');
  for (int i = 0; i < 5; ++i) {
    pushToAll(large);
    const auto event = reading.ReadAnswer();
    ASSERT_TRUE(event && event->payload.size() == large.size()) << "event " << i;
  }
  std::string rest = stalled.ReadUntilClosed(4000);
  platform::InstanceAnswer answer;
  int events = 0;
  while (platform::TakeInstanceAnswer(rest, answer) == platform::AnswerFrame::Complete) {
    if (answer.status == AnswerStatus::Ok) ++events;
  }
  EXPECT_EQ(answer.status, AnswerStatus::Failed) << "dropped without a word";
  EXPECT_LT(events, 5);
  EXPECT_TRUE(rest.empty()) << "a torn event";
  EXPECT_TRUE(watchers[0].isNull());
  ASSERT_FALSE(watchers[1].isNull()) << "the subscriber that reads was dropped";
}

TEST_F(SingleInstanceTest, ConnectionsBeyondTheCapAreRefusedWithAReason) {
  std::vector<std::unique_ptr<Peer>> idle;
  for (int i = 0; i < platform::kMaxConnections; ++i) {
    idle.push_back(std::make_unique<Peer>(m_path));
  }
  QTest::qWait(50);
  Peer extra(m_path);
  std::string answer = extra.ReadUntilClosed();
  platform::InstanceAnswer refusal;
  ASSERT_EQ(platform::TakeInstanceAnswer(answer, refusal), platform::AnswerFrame::Complete);
  EXPECT_EQ(refusal.status, AnswerStatus::Failed);
  idle.clear();
  EXPECT_TRUE(NoConnectionLeft(m_instance));
}

TEST(SingleInstanceStartTest, HandsOverToARunningProgramElseTakesTheSocket) {
  QTemporaryDir dir;
  const QString path = dir.filePath(QStringLiteral("tolvane.sock"));
  // A socket file with nobody behind it, as a crash leaves it.
  const int stale = ::socket(AF_UNIX, SOCK_STREAM, 0);
  const sockaddr_un address = AddressOf(path);
  ASSERT_EQ(::bind(stale, reinterpret_cast<const sockaddr*>(&address), sizeof address), 0);
  ::close(stale);

  std::vector<InstanceRequest> received;
  {
    SingleInstance first(path);
    ASSERT_EQ(first.Start({"open", {}}, 500), SingleInstance::Role::Primary);
    struct stat info {};
    ASSERT_EQ(::stat(path.toLocal8Bit().constData(), &info), 0);
    EXPECT_EQ(info.st_mode & 077, 0u) << "reachable by other users";
    QObject::connect(&first, &SingleInstance::RequestReceived,
                     [&](const InstanceRequest& request) { received.push_back(request); });

    // The second start blocks while it waits, so it runs beside this thread's loop.
    const InstanceRequest open{"open", {"/home/u/list.tvn"}};
    std::atomic<bool> done = false;
    SingleInstance::Role role = SingleInstance::Role::Alone;
    std::thread second([&] {
      role = SingleInstance(path).Start(open, 2000);
      done = true;
    });
    EXPECT_TRUE(QTest::qWaitFor([&] { return done.load(); }, 3000));
    second.join();
    EXPECT_EQ(role, SingleInstance::Role::HandedOver);
    QTest::qWait(20);
    EXPECT_EQ(received, std::vector<InstanceRequest>{open});
  }
  EXPECT_FALSE(QFile::exists(path)) << "the socket file outlived its program";
}

TEST(SingleInstanceStartTest, WaitsWhileAnotherStartHoldsTheLock) {
  QTemporaryDir dir;
  const QString path = dir.filePath(QStringLiteral("tolvane.sock"));
  const int held = ::open((path + QStringLiteral(".lock")).toLocal8Bit().constData(),
                          O_RDWR | O_CREAT | O_CLOEXEC, 0600);
  ASSERT_EQ(::flock(held, LOCK_EX), 0);
  std::atomic<bool> done = false;
  SingleInstance::Role role = SingleInstance::Role::Alone;
  std::thread start([&] {
    SingleInstance instance(path);
    role = instance.Start({"open", {}}, 5000);
    done = true;
  });
  std::this_thread::sleep_for(std::chrono::milliseconds(150));
  EXPECT_FALSE(done.load()) << "went on while another start held the lock";
  ::close(held);
  start.join();
  EXPECT_EQ(role, SingleInstance::Role::Primary);
}

}  // namespace

namespace {

// Scripts get each item in UTF-8 up to its first zero byte, so that a list answer cannot
// number the items after a zero byte wrongly.
TEST(ScriptTextTest, ItemsReachScriptsInUtf8UpToTheirFirstZero) {
  doc::CClipList items;
  items.AddTail(std::string("ab\0cd", 5));
  items.AddTail("\x83\x7C\x83\x93");  // "ポン" in CP932
  const platform::CodePage before = platform::SystemCodePage();
  platform::SetSystemCodePage(platform::CodePage::Cp932);
  const std::string list = app::ListForScript(items);
  platform::SetSystemCodePage(before);
  EXPECT_EQ(list, std::string("ab\0ポン\0", 10));
}

}  // namespace
