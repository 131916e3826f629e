#pragma once

// <wayland-client.h>, with every call of the library going through the functions that
// platform::wayland::Load looked up (see wayland_library.h). Include it before any header
// that includes <wayland-client.h>.
#include "platform/wayland_library.h"

#define wl_display_connect (*::platform::wayland::display_connect)
#define wl_display_disconnect (*::platform::wayland::display_disconnect)
#define wl_display_get_fd (*::platform::wayland::display_get_fd)
#define wl_display_flush (*::platform::wayland::display_flush)
#define wl_display_roundtrip (*::platform::wayland::display_roundtrip)
#define wl_display_dispatch_pending (*::platform::wayland::display_dispatch_pending)
#define wl_display_prepare_read (*::platform::wayland::display_prepare_read)
#define wl_display_read_events (*::platform::wayland::display_read_events)
#define wl_display_cancel_read (*::platform::wayland::display_cancel_read)
#define wl_proxy_marshal_flags (*::platform::wayland::proxy_marshal_flags)
#define wl_proxy_get_version (*::platform::wayland::proxy_get_version)
#define wl_proxy_add_listener (*::platform::wayland::proxy_add_listener)
#define wl_proxy_destroy (*::platform::wayland::proxy_destroy)

#include <wayland-client-protocol.h>
