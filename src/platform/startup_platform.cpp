#include "platform/startup_platform.h"

#include <cstdlib>

namespace platform {
namespace {

bool IsSet(const char* name) {
  const char* value = std::getenv(name);
  return value && *value;
}

}  // namespace

StartupEnvironment StartupEnvironment::FromProcess() {
  StartupEnvironment env;
  if (const char* platform = std::getenv("QT_QPA_PLATFORM")) env.userPlatform = platform;
  env.bWaylandDisplay = IsSet("WAYLAND_DISPLAY");
  env.bXDisplay = IsSet("DISPLAY");
  return env;
}

std::string ChooseQtPlatform(const StartupEnvironment& env,
                             const std::function<WaylandClipboardAccess()>& probe) {
  if (!env.userPlatform.empty() || !env.bWaylandDisplay || !env.bXDisplay) return {};
  return probe() == WaylandClipboardAccess::kFocusOnly ? "xcb" : "";
}

}  // namespace platform
