#pragma once

#include <functional>
#include <string>

namespace platform {

// What a Wayland compositor offers a clipboard keeper, read off its registry.
enum class WaylandClipboardAccess {
  kNoCompositor,  // nothing answers at $WAYLAND_DISPLAY
  kDataControl,   // either data-control protocol: copies are read in the background
  kFocusOnly,     // neither: a program sees copies only while a window of its own has the focus
};

// The environment the window system is chosen from, as the process was started.
struct StartupEnvironment {
  std::string userPlatform;  // QT_QPA_PLATFORM; empty when unset
  bool bWaylandDisplay = false;
  bool bXDisplay = false;

  static StartupEnvironment FromProcess();
};

// The Qt platform to start on, decided before Qt picks its own: "xcb" when the Wayland
// compositor offers no data-control protocol but an X server (XWayland) is reachable,
// where the X11 reader sees every copy the compositor mirrors to X11; empty to leave the
// choice to Qt. The user's own QT_QPA_PLATFORM always wins, and the compositor is asked
// (`probe`) only on a Wayland session.
std::string ChooseQtPlatform(const StartupEnvironment& env,
                             const std::function<WaylandClipboardAccess()>& probe);

}  // namespace platform
