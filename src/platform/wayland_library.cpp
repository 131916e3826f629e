#include "platform/wayland_library.h"

#include <dlfcn.h>

namespace platform::wayland {

#define TOLVANE_WAYLAND_POINTER(name) decltype(&::wl_##name) name = nullptr;
TOLVANE_WAYLAND_FUNCTIONS(TOLVANE_WAYLAND_POINTER)
#undef TOLVANE_WAYLAND_POINTER

bool Load() {
  static const bool bLoaded = [] {
    // Kept for the rest of the run: the connections made with it may live until the end.
    void* library = ::dlopen("libwayland-client.so.0", RTLD_NOW | RTLD_LOCAL);
    if (!library) return false;
    bool bAll = true;
#define TOLVANE_WAYLAND_LOOK_UP(name)                                                  \
  name = reinterpret_cast<decltype(name)>(::dlsym(library, "wl_" #name));             \
  bAll = bAll && name != nullptr;
    TOLVANE_WAYLAND_FUNCTIONS(TOLVANE_WAYLAND_LOOK_UP)
#undef TOLVANE_WAYLAND_LOOK_UP
    return bAll;
  }();
  return bLoaded;
}

}  // namespace platform::wayland
