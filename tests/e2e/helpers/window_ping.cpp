// Measures how quickly a window's program answers: sends _NET_WM_PING to WINDOW every
// 10 ms for DURATION_MS and prints the longest wait for an answer as "max_ms N", then
// "answers K". A program that answers nothing within the duration gives the duration.
#include <xcb/xcb.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <poll.h>

namespace {

using Clock = std::chrono::steady_clock;

xcb_atom_t Intern(xcb_connection_t* c, const char* name) {
  xcb_intern_atom_reply_t* reply = xcb_intern_atom_reply(
      c, xcb_intern_atom(c, 0, static_cast<uint16_t>(std::strlen(name)), name), nullptr);
  const xcb_atom_t atom = reply ? reply->atom : XCB_NONE;
  std::free(reply);
  return atom;
}

long long MsSince(Clock::time_point t) {
  return std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - t).count();
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 3) {
    std::fprintf(stderr, "usage: window_ping WINDOW DURATION_MS\n");
    return 2;
  }
  const auto window = static_cast<xcb_window_t>(std::strtoul(argv[1], nullptr, 0));
  const int durationMs = std::atoi(argv[2]);
  xcb_connection_t* c = xcb_connect(nullptr, nullptr);
  if (xcb_connection_has_error(c)) return 2;
  const xcb_window_t root = xcb_setup_roots_iterator(xcb_get_setup(c)).data->root;
  // The answer is sent to the root window for the window manager; listen there.
  const uint32_t mask = XCB_EVENT_MASK_STRUCTURE_NOTIFY;
  xcb_change_window_attributes(c, root, XCB_CW_EVENT_MASK, &mask);
  const xcb_atom_t protocols = Intern(c, "WM_PROTOCOLS");
  const xcb_atom_t ping = Intern(c, "_NET_WM_PING");

  const auto start = Clock::now();
  long long maxMs = 0;
  int answers = 0;
  uint32_t serial = 0;
  while (MsSince(start) < durationMs) {
    xcb_client_message_event_t message{};
    message.response_type = XCB_CLIENT_MESSAGE;
    message.format = 32;
    message.window = window;
    message.type = protocols;
    message.data.data32[0] = ping;
    message.data.data32[1] = ++serial;  // stands in for the timestamp, to match the answer
    message.data.data32[2] = window;
    xcb_send_event(c, 0, window, XCB_EVENT_MASK_NO_EVENT, reinterpret_cast<const char*>(&message));
    xcb_flush(c);
    const auto sent = Clock::now();
    bool bAnswered = false;
    while (!bAnswered && MsSince(start) < durationMs + 5000) {
      xcb_generic_event_t* event = xcb_poll_for_event(c);
      if (!event) {
        if (xcb_connection_has_error(c)) return 2;
        pollfd pfd{xcb_get_file_descriptor(c), POLLIN, 0};
        ::poll(&pfd, 1, 10);
        continue;
      }
      if ((event->response_type & 0x7F) == XCB_CLIENT_MESSAGE) {
        const auto* answer = reinterpret_cast<xcb_client_message_event_t*>(event);
        bAnswered = answer->data.data32[0] == ping && answer->data.data32[1] == serial;
      }
      std::free(event);
    }
    maxMs = std::max(maxMs, MsSince(sent));
    if (!bAnswered) break;
    ++answers;
    const auto next = sent + std::chrono::milliseconds(10);
    while (Clock::now() < next) ::poll(nullptr, 0, 1);
  }
  std::printf("max_ms %lld\nanswers %d\n", maxMs, answers);
  return 0;
}
