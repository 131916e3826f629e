#include "platform/qt_selection_notices.h"

#include <QGuiApplication>
#include <QScreen>
#include <qpa/qplatformnativeinterface.h>
#include <xcb/xcb.h>
#include <xcb/xfixes.h>

#include <cstdlib>
#include <cstring>
#include <string_view>
#include <vector>

namespace platform {
namespace {

// The title Qt gives the window that owns its selections and hears of their owners.
constexpr std::string_view kQtOwnerTitle = "Qt Selection Owner";

// What Qt asks to hear of, for each selection.
constexpr std::uint32_t kQtNoticeMask = XCB_XFIXES_SELECTION_EVENT_MASK_SET_SELECTION_OWNER |
                                        XCB_XFIXES_SELECTION_EVENT_MASK_SELECTION_WINDOW_DESTROY |
                                        XCB_XFIXES_SELECTION_EVENT_MASK_SELECTION_CLIENT_CLOSE;

bool IsQtOwnerWindow(xcb_connection_t* connection, xcb_get_property_cookie_t cookie) {
  xcb_get_property_reply_t* reply = xcb_get_property_reply(connection, cookie, nullptr);
  if (!reply) return false;
  const std::string_view title(static_cast<const char*>(xcb_get_property_value(reply)),
                               static_cast<std::size_t>(xcb_get_property_value_length(reply)));
  const bool bOwner = title.substr(0, kQtOwnerTitle.size()) == kQtOwnerTitle;
  std::free(reply);
  return bOwner;
}

}  // namespace

std::unique_ptr<QtSelectionNotices> QtSelectionNotices::Find(xcb_connection_t* connection,
                                                             std::uint32_t ownBase,
                                                             std::uint32_t ownMask,
                                                             std::uint32_t clipboardAtom) {
  const xcb_query_extension_reply_t* fixes = xcb_get_extension_data(connection, &xcb_xfixes_id);
  if (!fixes || !fixes->present || ownMask == 0) return nullptr;

  std::vector<xcb_window_t> candidates;
  for (auto screens = xcb_setup_roots_iterator(xcb_get_setup(connection)); screens.rem;
       xcb_screen_next(&screens)) {
    xcb_query_tree_reply_t* tree =
        xcb_query_tree_reply(connection, xcb_query_tree(connection, screens.data->root), nullptr);
    if (!tree) continue;
    const xcb_window_t* children = xcb_query_tree_children(tree);
    for (int i = 0; i < xcb_query_tree_children_length(tree); ++i) {
      if ((children[i] & ~ownMask) == ownBase) candidates.push_back(children[i]);
    }
    std::free(tree);
  }
  std::vector<xcb_get_property_cookie_t> titles;
  for (const xcb_window_t window : candidates) {
    titles.push_back(xcb_get_property(connection, 0, window, XCB_ATOM_WM_NAME, XCB_ATOM_ANY, 0,
                                      kQtOwnerTitle.size()));
  }
  xcb_window_t found = XCB_NONE;
  for (std::size_t i = 0; i < candidates.size(); ++i) {
    // Every reply is taken, so that none is left waiting in the connection.
    if (IsQtOwnerWindow(connection, titles[i]) && found == XCB_NONE) found = candidates[i];
  }
  if (found == XCB_NONE) return nullptr;
  std::unique_ptr<QtSelectionNotices> notices(new QtSelectionNotices(connection, found));
  notices->m_clipboardAtom = clipboardAtom;
  notices->m_nFixesEventBase = fixes->first_event;
  return notices;
}

QtSelectionNotices::QtSelectionNotices(xcb_connection_t* connection, std::uint32_t window)
    : m_pConnection(connection), m_window(window) {}

QtSelectionNotices::~QtSelectionNotices() { SetHeard(true, 0); }

void QtSelectionNotices::SetHeard(bool bHeard, std::uint32_t newestChangeTime) {
  if (bHeard == m_bHeard) return;
  m_bHeard = bHeard;
  for (const xcb_atom_t selection : {xcb_atom_t{XCB_ATOM_PRIMARY}, m_clipboardAtom}) {
    xcb_xfixes_select_selection_input(m_pConnection, m_window, selection,
                                      bHeard ? kQtNoticeMask : 0);
    if (!bHeard) continue;
    // A new owner, later than any Qt has seen, told by the server after the request above:
    // Qt forgets what it knew of the owner, and the owners from here on are told anyway.
    xcb_xfixes_selection_notify_event_t notice;
    std::memset(&notice, 0, sizeof notice);
    notice.response_type = m_nFixesEventBase + XCB_XFIXES_SELECTION_NOTIFY;
    notice.subtype = XCB_XFIXES_SELECTION_EVENT_SET_SELECTION_OWNER;
    notice.window = m_window;
    notice.owner = XCB_NONE;
    notice.selection = selection;
    notice.timestamp = newestChangeTime;
    notice.selection_timestamp = UINT32_MAX;
    xcb_send_event(m_pConnection, 0, m_window, XCB_EVENT_MASK_NO_EVENT,
                   reinterpret_cast<const char*>(&notice));
  }
  xcb_flush(m_pConnection);
}

void QtSelectionNotices::CatchUpTime(std::uint32_t newestChangeTime) {
  if (newestChangeTime == XCB_CURRENT_TIME) return;
  // Qt's xcb plugin offers this for programs that learn the server's time elsewhere; it
  // only ever moves Qt's time forward.
  using SetAppTime = void (*)(QScreen*, xcb_timestamp_t);
  QPlatformNativeInterface* native = QGuiApplication::platformNativeInterface();
  QScreen* screen = QGuiApplication::primaryScreen();
  if (!native || !screen) return;
  const auto setAppTime = reinterpret_cast<SetAppTime>(
      reinterpret_cast<void*>(native->nativeResourceFunctionForScreen("setapptime")));
  if (setAppTime) setAppTime(screen, newestChangeTime);
}

}  // namespace platform
