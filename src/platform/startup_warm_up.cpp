#include "platform/startup_warm_up.h"

#include <fontconfig/fontconfig.h>

#include <QDBusConnection>
#include <QGuiApplication>
#include <QString>

namespace platform {

FontConfigWarmUp::FontConfigWarmUp() : m_thread([] { FcInit(); }) {}

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
