#pragma once

#include <thread>

namespace platform {

// Fontconfig reads its configuration and font caches (several milliseconds of files) the
// first time any text is measured. Started before the application object exists, that
// happens on another core while the display connection is set up. Wait() before anything
// measures text; the destructor waits too. Being the program's first thread, it also makes
// every thread allocate from the one heap (see the constructor).
class FontConfigWarmUp {
 public:
  FontConfigWarmUp();
  void Wait();

 private:
  std::jthread m_thread;
};

// The desktop's accessibility bridge opens the session bus, and waits for it, when the
// first widget gets its text. Opened here on another thread while the window is built, the
// connection is up by then. Needs the application object; does nothing on platforms
// without such a bridge. Must be destroyed before the application object.
class SessionBusWarmUp {
 public:
  SessionBusWarmUp();

 private:
  std::jthread m_thread;
};

}  // namespace platform
