#include "platform/startup_warm_up.h"

#include <fontconfig/fontconfig.h>
#include <malloc.h>

#include <QDBusConnection>
#include <QGuiApplication>
#include <QString>

namespace platform {

// glibc gives each new thread a heap of its own (an arena) while there are fewer than
// eight per processor, and each arena keeps the pages it once used: the font
// configuration's reading left 380 kB in this thread's arena, and the session bus's and
// the clipboard reader's threads kept theirs. The threads here mostly hand data over to
// the window's thread, so one heap for all costs no waiting, and what one thread frees
// the next one reuses. Set before the first thread starts, which is this one.
FontConfigWarmUp::FontConfigWarmUp() {
  mallopt(M_ARENA_MAX, 1);
  m_thread = std::jthread([] { FcInit(); });
}

void FontConfigWarmUp::Wait() {
  if (m_thread.joinable()) m_thread.join();
}

SessionBusWarmUp::SessionBusWarmUp() {
  const QString platform = QGuiApplication::platformName();
  if (platform != QLatin1String("xcb") && !platform.startsWith(QLatin1String("wayland"))) return;
  // Qt keeps the connection; this thread only waits for it to be made.
  m_thread = std::jthread([] { QDBusConnection::sessionBus(); });
}

}  // namespace platform
