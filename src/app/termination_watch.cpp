#include "app/termination_watch.h"

#include <QApplication>
#include <QDialog>
#include <QSocketNotifier>
#include <cerrno>
#include <csignal>
#include <sys/socket.h>
#include <unistd.h>

namespace app {
namespace {

// The pipe lives until the process ends: a handler may run at any moment, so its end is
// never closed (and its number never reused for another file).
int g_signalReadFd = -1;
volatile sig_atomic_t g_signalWriteFd = -1;

void OnSignal(int) {
  // Only async-signal-safe work here: the event loop does the rest. The pipe does not
  // block; when it is full, a byte is already waiting and this one is not needed.
  const int savedErrno = errno;
  const char byte = 1;
  if (g_signalWriteFd >= 0) {
    [[maybe_unused]] const ssize_t written = ::write(g_signalWriteFd, &byte, 1);
  }
  errno = savedErrno;
}

}  // namespace

bool InstallTerminationHandlers() {
  if (g_signalReadFd >= 0) return true;
  int fds[2] = {-1, -1};
  if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0, fds) != 0) {
    return false;
  }
  g_signalReadFd = fds[0];
  g_signalWriteFd = fds[1];
  struct sigaction action {};
  action.sa_handler = OnSignal;
  sigemptyset(&action.sa_mask);
  action.sa_flags = SA_RESTART;
  for (int signal : {SIGTERM, SIGHUP, SIGINT}) ::sigaction(signal, &action, nullptr);
  return true;
}

TerminationWatch::TerminationWatch(std::function<void()> onTerminate, QObject* parent)
    : QObject(parent), m_onTerminate(std::move(onTerminate)) {
  if (!InstallTerminationHandlers()) return;
  // The notifier reports a readable pipe whenever the loop looks, so bytes written
  // before it existed are seen at the loop's first turn.
  m_pNotifier = new QSocketNotifier(g_signalReadFd, QSocketNotifier::Read, this);
  connect(m_pNotifier, &QSocketNotifier::activated, this, [this] {
    char bytes[64];
    while (::read(g_signalReadFd, bytes, sizeof bytes) > 0) {
    }
    EndModalLoops();
    if (!m_bEnding) {
      m_bEnding = true;
      qApp->installEventFilter(this);
    }
    if (m_onTerminate) m_onTerminate();
  });
}

// Rejecting, not closing: a box with Yes and No refuses to be closed.
void TerminationWatch::EndModalLoops() {
  for (int i = 0; i < 16 && QApplication::activePopupWidget(); ++i) {
    QApplication::activePopupWidget()->close();
  }
  for (QWidget* window : QApplication::topLevelWidgets()) {
    auto* dialog = qobject_cast<QDialog*>(window);
    if (dialog && dialog->isVisible() && dialog->windowModality() != Qt::NonModal) {
      dialog->reject();
    }
  }
}

// Once ending: a dialog that opens (start-up goes on to its end first) is rejected from
// inside its own loop, which has not started yet while it shows.
bool TerminationWatch::eventFilter(QObject* watched, QEvent* event) {
  if (event->type() != QEvent::Show) return false;
  auto* dialog = qobject_cast<QDialog*>(watched);
  if (dialog && dialog->windowModality() != Qt::NonModal) {
    QMetaObject::invokeMethod(dialog, &QDialog::reject, Qt::QueuedConnection);
  }
  return false;
}

TerminationWatch::~TerminationWatch() {
  delete m_pNotifier;
  m_pNotifier = nullptr;
}

}  // namespace app
