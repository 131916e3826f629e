#include "app/termination_watch.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QMessageBox>
#include <QTimer>
#include <csignal>
#include <gtest/gtest.h>

namespace {

constexpr int kSignals[] = {SIGTERM, SIGHUP, SIGINT};

// Runs the event loop for a while, or until `done` holds.
template <typename Done>
void RunLoop(int milliseconds, Done done) {
  QElapsedTimer timer;
  timer.start();
  while (!done() && timer.elapsed() < milliseconds) {
    QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
  }
}

class TerminationWatchTest : public testing::Test {
 protected:
  // The handlers stay for the life of the process by design; the test puts back what
  // the test program had, so that Ctrl+C still ends it.
  void SetUp() override {
    for (int i = 0; i < 3; ++i) ::sigaction(kSignals[i], nullptr, &m_saved[i]);
  }
  void TearDown() override {
    for (int i = 0; i < 3; ++i) ::sigaction(kSignals[i], &m_saved[i], nullptr);
  }
  struct sigaction m_saved[3] {};
};

TEST_F(TerminationWatchTest, SignalsBeforeDuringAndAfterTheWatch) {
  ASSERT_TRUE(app::InstallTerminationHandlers());
  // Before the watch exists (start-up): noted, not fatal, acted on once the loop runs.
  ::raise(SIGTERM);
  ::raise(SIGHUP);
  int calls = 0;
  {
    app::TerminationWatch watch([&calls] { ++calls; });
    RunLoop(2000, [&] { return calls > 0; });
    RunLoop(50, [] { return false; });
    EXPECT_EQ(calls, 1);

    for (int signal : kSignals) {
      ::raise(signal);
      const int before = calls;
      RunLoop(2000, [&] { return calls > before; });
    }
    EXPECT_EQ(calls, 4);
  }
  // After the watch is gone (shut-down): a second signal still does not end the process.
  ::raise(SIGHUP);
  ::raise(SIGINT);
  RunLoop(50, [] { return false; });
  EXPECT_EQ(calls, 4);

  // A later watch picks up what waits and is not disturbed by the earlier one.
  {
    app::TerminationWatch next([&calls] { ++calls; });
    RunLoop(2000, [&] { return calls > 4; });
    EXPECT_EQ(calls, 5);
  }

  // While a modal box waits: the box ends (one with Yes and No refuses to be closed), and
  // each box opened after the signal ends as it shows.
  app::TerminationWatch last([&calls] { ++calls; });
  QElapsedTimer timer;
  timer.start();
  for (int box = 0; box < 2; ++box) {
    QMessageBox question(QMessageBox::Question, "Tolvane", "?", QMessageBox::Yes | QMessageBox::No);
    if (box == 0) QTimer::singleShot(20, [] { ::raise(SIGTERM); });
    QTimer::singleShot(3000, &question, [&question] { question.done(QMessageBox::Yes); });
    EXPECT_NE(question.exec(), QMessageBox::Yes) << box;
  }
  EXPECT_EQ(calls, 6);
  EXPECT_LT(timer.elapsed(), 2000);
}

}  // namespace
