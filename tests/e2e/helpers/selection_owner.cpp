#include "selection_owner.h"

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <poll.h>

namespace {

using Clock = std::chrono::steady_clock;

[[noreturn]] void Fail(const char* what) {
  std::fprintf(stderr, "selection owner: %s\n", what);
  std::exit(2);
}

}  // namespace

SelectionOwner::SelectionOwner() {
  m_pConnection = xcb_connect(nullptr, nullptr);
  if (xcb_connection_has_error(m_pConnection)) Fail("cannot connect");
  xcb_screen_t* screen = xcb_setup_roots_iterator(xcb_get_setup(m_pConnection)).data;
  m_window = xcb_generate_id(m_pConnection);
  const uint32_t mask = XCB_EVENT_MASK_PROPERTY_CHANGE;
  xcb_create_window(m_pConnection, XCB_COPY_FROM_PARENT, m_window, screen->root, 0, 0, 1, 1, 0,
                    XCB_WINDOW_CLASS_INPUT_ONLY, screen->root_visual, XCB_CW_EVENT_MASK, &mask);
  m_clipboard = Atom("CLIPBOARD");
}

SelectionOwner::~SelectionOwner() { xcb_disconnect(m_pConnection); }

xcb_atom_t SelectionOwner::Atom(const char* name) const {
  xcb_intern_atom_reply_t* reply = xcb_intern_atom_reply(
      m_pConnection,
      xcb_intern_atom(m_pConnection, 0, static_cast<uint16_t>(std::strlen(name)), name), nullptr);
  if (!reply) Fail("cannot intern an atom");
  const xcb_atom_t atom = reply->atom;
  std::free(reply);
  return atom;
}

// A timestamp from the server: the time of a property change on our own window.
xcb_timestamp_t SelectionOwner::ServerTime() {
  const xcb_atom_t property = Atom("TOLVANE_HELPER_TIME");
  xcb_change_property(m_pConnection, XCB_PROP_MODE_APPEND, m_window, property, XCB_ATOM_STRING,
                      8, 0, nullptr);
  xcb_flush(m_pConnection);
  while (xcb_generic_event_t* event = xcb_wait_for_event(m_pConnection)) {
    const bool bTime = (event->response_type & 0x7F) == XCB_PROPERTY_NOTIFY;
    if ((event->response_type & 0x7F) == XCB_SELECTION_REQUEST) {
      Answer(*reinterpret_cast<xcb_selection_request_event_t*>(event));
    }
    xcb_timestamp_t time = 0;
    if (bTime) time = reinterpret_cast<xcb_property_notify_event_t*>(event)->time;
    std::free(event);
    if (bTime) return time;
  }
  Fail("connection lost");
}

void SelectionOwner::Take(const std::string& text, enum Answer answer) {
  m_strText = text;
  m_answer = answer;
  xcb_set_selection_owner(m_pConnection, m_window, m_clipboard, ServerTime());
  xcb_get_selection_owner_reply_t* reply = xcb_get_selection_owner_reply(
      m_pConnection, xcb_get_selection_owner(m_pConnection, m_clipboard), nullptr);
  m_bOwner = reply && reply->owner == m_window;
  std::free(reply);
  if (!m_bOwner) Fail("cannot take the clipboard");
}

bool SelectionOwner::Serve(int ms) {
  const auto deadline = Clock::now() + std::chrono::milliseconds(ms);
  while (m_bOwner) {
    xcb_generic_event_t* event = xcb_poll_for_event(m_pConnection);
    if (!event) {
      if (xcb_connection_has_error(m_pConnection)) Fail("connection lost");
      int timeout = -1;
      if (ms >= 0) {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
                              deadline - Clock::now()).count();
        if (left <= 0) return true;
        timeout = static_cast<int>(left);
      }
      pollfd pfd{xcb_get_file_descriptor(m_pConnection), POLLIN, 0};
      ::poll(&pfd, 1, timeout);
      continue;
    }
    switch (event->response_type & 0x7F) {
      case XCB_SELECTION_REQUEST:
        Answer(*reinterpret_cast<xcb_selection_request_event_t*>(event));
        break;
      case XCB_SELECTION_CLEAR:
        m_bOwner = false;
        break;
    }
    std::free(event);
  }
  return false;
}

void SelectionOwner::Answer(const xcb_selection_request_event_t& request) {
  if (m_answer == Answer::Nothing) return;
  const xcb_atom_t utf8 = Atom("UTF8_STRING");
  xcb_atom_t property = request.property;
  const xcb_atom_t hint = Atom("x-kde-passwordManagerHint");
  if (request.target == Atom("TARGETS")) {
    std::vector<xcb_atom_t> targets = {Atom("TARGETS"), utf8, XCB_ATOM_STRING};
    if (m_bSecret) targets.push_back(hint);
    xcb_change_property(m_pConnection, XCB_PROP_MODE_REPLACE, request.requestor, property,
                        XCB_ATOM_ATOM, 32, static_cast<uint32_t>(targets.size()),
                        targets.data());
  } else if (m_answer == Answer::TargetsOnly) {
    return;
  } else if (m_bSecret && request.target == hint) {
    xcb_change_property(m_pConnection, XCB_PROP_MODE_REPLACE, request.requestor, property,
                        XCB_ATOM_STRING, 8, 6, "secret");
  } else if (request.target == utf8 || request.target == XCB_ATOM_STRING) {
    xcb_change_property(m_pConnection, XCB_PROP_MODE_REPLACE, request.requestor, property,
                        request.target, 8, static_cast<uint32_t>(m_strText.size()),
                        m_strText.data());
  } else {
    property = XCB_NONE;
  }
  xcb_selection_notify_event_t notify{};
  notify.response_type = XCB_SELECTION_NOTIFY;
  notify.time = request.time;
  notify.requestor = request.requestor;
  notify.selection = request.selection;
  notify.target = request.target;
  notify.property = property;
  xcb_send_event(m_pConnection, 0, request.requestor, XCB_EVENT_MASK_NO_EVENT,
                 reinterpret_cast<const char*>(&notify));
  xcb_flush(m_pConnection);
}
