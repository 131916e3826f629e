#pragma once

#include <vector>

#include "app/window_rect_text.h"

namespace app {

// The rectangle a saved window rectangle takes on a desktop whose usable area is
// `available`. A window that shows enough of itself there to be grabbed stays where it
// was, also partly off the edges; one that doesn't is moved, whole, into the area. A size
// larger than the area shrinks to it. An empty area changes nothing.
WindowRect FitRectToDesktop(WindowRect r, WindowRect available);

// Of the usable areas of the screens (the primary screen's first), the one the rectangle
// overlaps most; the first when it overlaps none; an empty rectangle without screens.
WindowRect AvailableAreaFor(const WindowRect& r, const std::vector<WindowRect>& areas);

}  // namespace app
