#include "platform/own_write_rule.h"

namespace platform {

void OwnWriteRule::NoteOwnChange(Clock::time_point now) {
  ++m_nOwnChanges;
  m_lastOwnChange = now;
}

OwnWriteRule::Verdict OwnWriteRule::Judge(const SelectionEvent& event, Clock::time_point now) {
  if (event.kind == SelectionEvent::Kind::OwnChange) {
    if (event.nOwnSeen <= m_nOwnChanges) return Verdict::Ignore;
    m_nOwnChanges = event.nOwnSeen;
    return Verdict::OwnChangeElsewhere;
  }
  if (event.nOwnSeen < m_nOwnChanges) {
    if (now - m_lastOwnChange < kReportWait) return Verdict::Ignore;
    // Waited long enough: the changes not reported will not be.
    m_nOwnChanges = event.nOwnSeen;
  }
  return Verdict::Take;
}

}  // namespace platform
