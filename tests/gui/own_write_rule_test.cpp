// The one rule by which every port that reads off the window's thread tells the reader's
// reports of our own writes and clears from other programs' changes.
#include "platform/own_write_rule.h"

#include <gtest/gtest.h>

namespace platform {
namespace {

using Verdict = OwnWriteRule::Verdict;
using namespace std::chrono_literals;

SelectionEvent Content(int nOwnSeen) {
  SelectionEvent event;
  event.nOwnSeen = nOwnSeen;
  return event;
}

SelectionEvent OwnChange(int nOwnSeen) {
  SelectionEvent event;
  event.kind = SelectionEvent::Kind::OwnChange;
  event.nOwnSeen = nOwnSeen;
  return event;
}

TEST(OwnWriteRuleTest, ResultsReadBeforeOurChangeAndItsEchoAreNoChange) {
  const OwnWriteRule::Clock::time_point t0{};
  OwnWriteRule rule;
  EXPECT_EQ(rule.Judge(Content(0), t0), Verdict::Take);

  rule.NoteOwnChange(t0);
  rule.NoteOwnChange(t0 + 1ms);
  EXPECT_EQ(rule.Judge(Content(0), t0 + 5ms), Verdict::Ignore) << "read before our writes";
  EXPECT_EQ(rule.Judge(OwnChange(1), t0 + 5ms), Verdict::Ignore) << "echo of the first";
  EXPECT_EQ(rule.Judge(Content(1), t0 + 5ms), Verdict::Ignore) << "read before the second";
  EXPECT_EQ(rule.Judge(OwnChange(2), t0 + 5ms), Verdict::Ignore) << "echo of the second";
  EXPECT_EQ(rule.Judge(Content(2), t0 + 5ms), Verdict::Take) << "another program after ours";
}

TEST(OwnWriteRuleTest, AnOwnChangeThePortDidNotMakeIsAChangeAndCountsFromThen) {
  const OwnWriteRule::Clock::time_point t0{};
  OwnWriteRule rule;
  EXPECT_EQ(rule.Judge(OwnChange(1), t0), Verdict::OwnChangeElsewhere);
  EXPECT_EQ(rule.Judge(Content(1), t0), Verdict::Take);
  rule.NoteOwnChange(t0);
  EXPECT_EQ(rule.Judge(Content(1), t0), Verdict::Ignore);
  EXPECT_EQ(rule.Judge(OwnChange(2), t0), Verdict::Ignore);
  EXPECT_EQ(rule.Judge(Content(2), t0), Verdict::Take);
}

// A report of our change that never comes (the server refused an ownership request) holds
// other programs' results back for the wait only; the count then starts from theirs.
TEST(OwnWriteRuleTest, AnUnreportedOwnChangeIsWaitedForABoundedTime) {
  const OwnWriteRule::Clock::time_point t0{};
  OwnWriteRule rule;
  rule.NoteOwnChange(t0);
  EXPECT_EQ(rule.Judge(Content(0), t0 + OwnWriteRule::kReportWait - 1ms), Verdict::Ignore);
  EXPECT_EQ(rule.Judge(Content(0), t0 + OwnWriteRule::kReportWait), Verdict::Take);
  EXPECT_EQ(rule.Judge(Content(0), t0 + OwnWriteRule::kReportWait), Verdict::Take);
  // Late after all: one of ours the port did not expect any more.
  EXPECT_EQ(rule.Judge(OwnChange(1), t0 + 3s), Verdict::OwnChangeElsewhere);
  rule.NoteOwnChange(t0 + 4s);
  EXPECT_EQ(rule.Judge(Content(1), t0 + 4s), Verdict::Ignore);
}

}  // namespace
}  // namespace platform
