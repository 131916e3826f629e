#include "platform/wayland_library.h"

#include "platform/loaded_library.h"

namespace platform::wayland {

#define TOLVANE_WAYLAND_POINTER(name) decltype(&::wl_##name) name = nullptr;
TOLVANE_WAYLAND_FUNCTIONS(TOLVANE_WAYLAND_POINTER)
#undef TOLVANE_WAYLAND_POINTER

bool Load() {
  static const bool bLoaded = [] {
    void* library = OpenLibrary("libwayland-client.so.0");
    if (!library) return false;
    bool bAll = true;
#define TOLVANE_WAYLAND_LOOK_UP(name) bAll = LookUp(library, name, "wl_" #name) && bAll;
    TOLVANE_WAYLAND_FUNCTIONS(TOLVANE_WAYLAND_LOOK_UP)
#undef TOLVANE_WAYLAND_LOOK_UP
    return bAll;
  }();
  return bLoaded;
}

}  // namespace platform::wayland
