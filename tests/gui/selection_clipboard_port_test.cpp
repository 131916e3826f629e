// The base of the ports that read the clipboard off the window's thread, driven through a
// scripted reader in place of a protocol: what every such port (X11, Wayland's
// data-control, any later one) gets from it.
#include "platform/selection_clipboard_port.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QSignalSpy>
#include <gtest/gtest.h>
#include <poll.h>

#include <memory>
#include <string>
#include <vector>

namespace platform {
namespace {

// Reports what the test tells it to. Its thread only waits for the stop, as a reader
// waiting for the next selection does.
class ScriptedReader final : public SelectionReader {
 public:
  explicit ScriptedReader(bool bConnects = true) : m_bConnects(bConnects) {}

  void Copy(std::string utf8) {
    SelectionEvent event;
    event.status = ClipboardStatus::Ok;
    event.text = std::move(utf8);
    event.bHasAnyFormat = true;
    Report(std::move(event));
  }
  using SelectionReader::CountOwnChange;
  using SelectionReader::ReportOwnChange;

 private:
  bool Connect() override { return m_bConnects; }
  void Run() override {
    pollfd wake = {WakeFd(), POLLIN, 0};
    while (::poll(&wake, 1, -1) <= 0) {
    }
  }

  bool m_bConnects;
};

class ScriptedPort final : public SelectionClipboardPort {
 public:
  static std::unique_ptr<ScriptedPort> Create(bool bConnects = true) {
    std::unique_ptr<ScriptedPort> port(new ScriptedPort);
    auto reader = std::make_unique<ScriptedReader>(bConnects);
    port->m_pReader = reader.get();
    if (!port->StartReading(std::move(reader))) return nullptr;
    return port;
  }

  ScriptedReader& Reader() { return *m_pReader; }
  // Takes what the reader has handed over, as the window's event loop does.
  void TakeReports() { QCoreApplication::sendPostedEvents(this, QEvent::MetaCall); }

  std::vector<std::string> m_puts;
  int m_nEmptied = 0;
  int m_nElsewhere = 0;

 private:
  ScriptedPort() : SelectionClipboardPort(nullptr) {}
  bool PutText(std::string utf8) override {
    m_puts.push_back(std::move(utf8));
    return true;
  }
  bool EmptyClipboard() override {
    ++m_nEmptied;
    return true;
  }
  bool TakeOwnChangeElsewhere(SelectionEvent& event) override {
    ++m_nElsewhere;
    event.status = ClipboardStatus::Ok;
    event.text = "from an edit box";
    ConvertSelectionText(event);
    return true;
  }

  ScriptedReader* m_pReader = nullptr;
};

std::string Read(ClipboardPort& port) {
  std::string text;
  return port.ReadText(text) == ClipboardStatus::Ok ? text : "<no text>";
}

TEST(SelectionClipboardPortTest, TheStartDoesNotWaitAndTheFirstReportIsTheClipboardAtStart) {
  EXPECT_EQ(ScriptedPort::Create(false), nullptr) << "no connection, no port";

  auto port = ScriptedPort::Create();
  ASSERT_NE(port, nullptr);
  EXPECT_TRUE(port->StartupReadPending());
  std::vector<bool> startupNotices;
  QObject::connect(port.get(), &ClipboardPort::Changed,
                   [&] { startupNotices.push_back(port->IsStartupReadNotice()); });

  port->Reader().Copy("at start");
  EXPECT_TRUE(startupNotices.empty()) << "handed over queued, not at once";
  port->TakeReports();
  port->Reader().Copy("later");
  port->TakeReports();
  EXPECT_EQ(startupNotices, (std::vector<bool>{true, false}));
  EXPECT_FALSE(port->StartupReadPending());
  EXPECT_EQ(Read(*port), "later");
  EXPECT_TRUE(port->HasText());
}

TEST(SelectionClipboardPortTest, OurWritesNoticeOnceAndResultsOlderThanThemAreDropped) {
  auto port = ScriptedPort::Create();
  port->Reader().Copy("at start");
  port->TakeReports();
  QSignalSpy changed(port.get(), &ClipboardPort::Changed);

  port->Reader().Copy("read before our write");
  ASSERT_EQ(port->WriteText(std::string("ours\0cut", 8)), ClipboardStatus::Ok);
  EXPECT_EQ(changed.count(), 1) << "inside the call";
  EXPECT_EQ(port->m_puts, std::vector<std::string>{"ours"});
  port->Reader().CountOwnChange();  // a reader that tells our content by a mark of ours
  port->TakeReports();
  EXPECT_EQ(changed.count(), 1);
  EXPECT_EQ(Read(*port), "ours");

  EXPECT_TRUE(port->Clear());
  EXPECT_EQ(changed.count(), 2);
  EXPECT_EQ(port->m_nEmptied, 1);
  port->Reader().ReportOwnChange(true);  // a reader that tells it by the owner
  port->TakeReports();
  EXPECT_EQ(changed.count(), 2);
  EXPECT_FALSE(port->HasAnyFormat());

  port->Reader().Copy("another program");
  port->TakeReports();
  EXPECT_EQ(changed.count(), 3);
  EXPECT_EQ(Read(*port), "another program");

  // A change of ours the port did not make: the port says what it holds.
  port->Reader().ReportOwnChange(false);
  port->TakeReports();
  EXPECT_EQ(changed.count(), 4);
  EXPECT_EQ(port->m_nElsewhere, 1);
  EXPECT_EQ(Read(*port), "from an edit box");
}

// Copying a large text costs the window's thread milliseconds a megabyte: the copies it
// would make were made on the reader's thread.
TEST(SelectionClipboardPortTest, ALargeTextComesWithTheCopiesMadeAlready) {
  auto port = ScriptedPort::Create();
  const std::string large(kSpareCopyMinBytes + 1, 'x');
  port->Reader().Copy(large);
  port->TakeReports();
  std::string text;
  ASSERT_EQ(port->ReadText(text), ClipboardStatus::Ok);
  std::string spare;
  ASSERT_TRUE(port->TakeSpareCopy(spare));
  EXPECT_TRUE(text == large);
  EXPECT_TRUE(spare == large);

  port->Reader().Copy("small");
  port->TakeReports();
  EXPECT_FALSE(port->TakeSpareCopy(spare));
}

TEST(SelectionClipboardPortTest, TheReaderStopsAtOnceWhenThePortGoes) {
  auto port = ScriptedPort::Create();
  QElapsedTimer timer;
  timer.start();
  port.reset();
  EXPECT_LT(timer.elapsed(), 100);
}

}  // namespace
}  // namespace platform
