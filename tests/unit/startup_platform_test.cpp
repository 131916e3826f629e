#include <gtest/gtest.h>

#include "platform/startup_platform.h"

namespace {

using platform::WaylandClipboardAccess;

struct PlatformCase {
  const char* name;
  platform::StartupEnvironment env;
  WaylandClipboardAccess compositor;
  const char* expected;
  bool bProbed;
};

// The compositor is asked only on a Wayland session with an X server beside it and no
// platform of the user's; only a compositor without data-control sends the start to X11.
TEST(StartupPlatformTest, QtPlatformFollowsWhatTheSessionOffers) {
  const PlatformCase cases[] = {
      {"ext or wlr data-control", {"", true, true}, WaylandClipboardAccess::kDataControl, "", true},
      {"none, with X", {"", true, true}, WaylandClipboardAccess::kFocusOnly, "xcb", true},
      {"none, without X", {"", true, false}, WaylandClipboardAccess::kFocusOnly, "", false},
      {"compositor gone", {"", true, true}, WaylandClipboardAccess::kNoCompositor, "", true},
      {"user's platform", {"wayland", true, true}, WaylandClipboardAccess::kFocusOnly, "", false},
      {"X11 session", {"", false, true}, WaylandClipboardAccess::kFocusOnly, "", false},
  };
  for (const PlatformCase& c : cases) {
    SCOPED_TRACE(c.name);
    bool bProbed = false;
    EXPECT_EQ(platform::ChooseQtPlatform(c.env, [&] {
                bProbed = true;
                return c.compositor;
              }),
              c.expected);
    EXPECT_EQ(bProbed, c.bProbed);
  }
}

}  // namespace
