// The least a clipboard keeper on X11 can do for a copy, as the floor e2e_bench measures
// against: on the server's notice of a new clipboard owner, ask for the UTF-8 text in one
// request and print it as one line once it has arrived. No toolkit, one thread, one
// connection; nothing is kept. Run by e2e_bench; alone: build/bench/floor_capture
#include <unistd.h>

#include <cstdlib>
#include <cstring>
#include <string>

#include <xcb/xcb.h>
#include <xcb/xfixes.h>

namespace {

xcb_atom_t Atom(xcb_connection_t* x, const char* name) {
  xcb_intern_atom_reply_t* reply =
      xcb_intern_atom_reply(x, xcb_intern_atom(x, 0, std::strlen(name), name), nullptr);
  const xcb_atom_t atom = reply ? reply->atom : xcb_atom_t{XCB_ATOM_NONE};
  free(reply);
  return atom;
}

}  // namespace

int main() {
  xcb_connection_t* x = xcb_connect(nullptr, nullptr);
  if (xcb_connection_has_error(x)) return 1;
  const xcb_query_extension_reply_t* xfixes = xcb_get_extension_data(x, &xcb_xfixes_id);
  if (!xfixes || !xfixes->present) return 1;
  free(xcb_xfixes_query_version_reply(x, xcb_xfixes_query_version(x, 5, 0), nullptr));
  const xcb_atom_t clipboard = Atom(x, "CLIPBOARD");
  const xcb_atom_t utf8 = Atom(x, "UTF8_STRING");
  const xcb_atom_t property = Atom(x, "FLOOR_TEXT");
  const xcb_screen_t* screen = xcb_setup_roots_iterator(xcb_get_setup(x)).data;
  const xcb_window_t window = xcb_generate_id(x);
  xcb_create_window(x, XCB_COPY_FROM_PARENT, window, screen->root, 0, 0, 1, 1, 0,
                    XCB_WINDOW_CLASS_INPUT_ONLY, XCB_COPY_FROM_PARENT, 0, nullptr);
  xcb_xfixes_select_selection_input(x, window, clipboard,
                                    XCB_XFIXES_SELECTION_EVENT_MASK_SET_SELECTION_OWNER);
  xcb_flush(x);

  std::string line;
  while (xcb_generic_event_t* event = xcb_wait_for_event(x)) {
    const uint8_t type = event->response_type & 0x7f;
    if (type == xfixes->first_event + XCB_XFIXES_SELECTION_NOTIFY) {
      const auto* notice = reinterpret_cast<xcb_xfixes_selection_notify_event_t*>(event);
      if (notice->owner != XCB_NONE) {
        xcb_convert_selection(x, window, clipboard, utf8, property, notice->selection_timestamp);
        xcb_flush(x);
      }
    } else if (type == XCB_SELECTION_NOTIFY) {
      const auto* answer = reinterpret_cast<xcb_selection_notify_event_t*>(event);
      if (answer->property != XCB_NONE) {
        xcb_get_property_reply_t* reply = xcb_get_property_reply(
            x, xcb_get_property(x, 1, window, property, XCB_GET_PROPERTY_TYPE_ANY, 0, 1 << 24),
            nullptr);
        if (reply) {
          line.assign(static_cast<const char*>(xcb_get_property_value(reply)),
                      xcb_get_property_value_length(reply));
          line += '\n';
          if (::write(1, line.data(), line.size()) < 0) return 0;
          free(reply);
        }
      }
    }
    free(event);
  }
  xcb_disconnect(x);
  return 0;
}
