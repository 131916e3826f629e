#pragma once

#include <QString>
#include <chrono>
#include <future>

#include "platform/desktop_integration.h"

namespace app {

// The desktop entry, MIME package and icons that make the desktop open *.tvn files with
// `executable`.
platform::DesktopFiles TolvaneDesktopFiles(const QString& executable, const QString& dataHome);

// Registers the running program with the desktop (see platform::RegisterDesktopFiles) on a
// thread of its own. Drawing and compressing the icons takes tens of milliseconds, and a
// slow file system may take longer: neither the window nor the end of the program waits
// for it longer than it is told to.
class DesktopRegistration {
 public:
  void Start();
  // True when no registration runs any more; waits at most `timeout` for one that does.
  bool WaitForEnd(std::chrono::milliseconds timeout) const;

 private:
  std::shared_future<void> m_finished;
};

// Removes what registration wrote and the user has not changed; true when none is left.
bool UnregisterFromDesktop();

}  // namespace app
