#pragma once

#include <chrono>

#include "platform/selection_event.h"

namespace platform {

// Tells a reader's results that describe the clipboard from those that our own writes and
// clears have made out of date or that only report them. Each reader counts the changes of
// ours it recognises (by a mark of ours on the content, or by the owner) and stamps each
// result with that count, `nOwnSeen`; the port notes each change it makes.
//  - A result that has seen fewer of our changes than we made was read before our newest
//    change took the clipboard: out of date. Should the report of our change never come
//    (a server may refuse an ownership request), results count again after kReportWait.
//  - A reported own change (Kind::OwnChange) that we made is its echo: no change.
//  - A reported own change beyond those is one that did not go through the port (a copy
//    from an edit box of ours, or the clipboard emptied where the reader cannot tell who
//    did it): a change.
class OwnWriteRule {
 public:
  using Clock = std::chrono::steady_clock;
  static constexpr std::chrono::milliseconds kReportWait{2000};

  enum class Verdict {
    Take,                // a change: the result is the clipboard's content
    Ignore,              // the echo of our own change, or out of date
    OwnChangeElsewhere,  // a change of ours that the port did not make
  };

  // The port has changed the clipboard itself.
  void NoteOwnChange(Clock::time_point now = Clock::now());
  Verdict Judge(const SelectionEvent& event, Clock::time_point now = Clock::now());

 private:
  int m_nOwnChanges = 0;
  Clock::time_point m_lastOwnChange;
};

}  // namespace platform
