#include "platform/selection_reader.h"

#include <fcntl.h>
#include <unistd.h>

namespace platform {

SelectionReader::~SelectionReader() {
  Stop();
  for (int& fd : m_wakePipe) {
    if (fd >= 0) ::close(fd);
    fd = -1;
  }
}

bool SelectionReader::Start(Sink sink) {
  if (::pipe2(m_wakePipe, O_CLOEXEC | O_NONBLOCK) != 0) return false;
  m_sink = std::move(sink);
  if (!Connect()) return false;
  m_thread = std::thread([this] { Run(); });
  return true;
}

void SelectionReader::Stop() {
  if (!m_thread.joinable()) return;
  const char wake = 1;
  [[maybe_unused]] const ssize_t written = ::write(m_wakePipe[1], &wake, 1);
  m_thread.join();
}

void SelectionReader::Report(SelectionEvent event) {
  event.kind = SelectionEvent::Kind::Content;
  event.nOwnSeen = m_nOwnSeen;
  m_sink(std::move(event));
}

void SelectionReader::CountOwnChange() { ++m_nOwnSeen; }

void SelectionReader::ReportOwnChange(bool bOwnerNone) {
  SelectionEvent event;
  event.kind = SelectionEvent::Kind::OwnChange;
  event.bOwnerNone = bOwnerNone;
  event.nOwnSeen = ++m_nOwnSeen;
  m_sink(std::move(event));
}

}  // namespace platform
