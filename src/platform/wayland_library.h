#pragma once

#include <wayland-client-core.h>

// The functions of the Wayland client library that the program calls. The library (and
// libffi, which it needs) is loaded only when the program first speaks to a compositor,
// so that on X11 neither is mapped. Code that speaks Wayland includes
// "platform/wayland_client.h" instead of <wayland-client.h>: its calls then go through
// these pointers.
#define TOLVANE_WAYLAND_FUNCTIONS(X)                                                      \
  X(display_connect) X(display_disconnect) X(display_get_fd) X(display_flush)            \
  X(display_roundtrip) X(display_dispatch_pending) X(display_prepare_read)               \
  X(display_read_events) X(display_cancel_read) X(proxy_marshal_flags)                   \
  X(proxy_get_version) X(proxy_add_listener) X(proxy_destroy)

namespace platform::wayland {

// Loads the library and looks its functions up, once; false when either fails, and then
// no function may be called.
bool Load();

#define TOLVANE_WAYLAND_POINTER(name) extern decltype(&::wl_##name) name;
TOLVANE_WAYLAND_FUNCTIONS(TOLVANE_WAYLAND_POINTER)
#undef TOLVANE_WAYLAND_POINTER

}  // namespace platform::wayland
