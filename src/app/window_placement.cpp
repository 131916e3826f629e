#include "app/window_placement.h"

#include <algorithm>

namespace app {
namespace {

// How much of a window must lie in the usable area (in both directions, or all of a
// smaller window) for it to be left where it is: enough to grab and drag it back.
constexpr long long kMinVisiblePart = 48;

long long Overlap(long long begin, long long end, long long areaBegin, long long areaEnd) {
  return std::max(0LL, std::min(end, areaEnd) - std::max(begin, areaBegin));
}

// One direction of the rectangle: shrunk to the area when longer, and moved into it when
// `moveInto` is set or it was shrunk.
void FitSpan(int& begin, int& end, int areaBegin, int areaEnd, bool moveInto) {
  const long long areaLength = static_cast<long long>(areaEnd) - areaBegin;
  long long length = static_cast<long long>(end) - begin;
  long long start = begin;
  if (length > areaLength) {
    length = areaLength;
    moveInto = true;
  }
  if (moveInto) start = std::clamp<long long>(start, areaBegin, areaEnd - length);
  begin = static_cast<int>(start);
  end = static_cast<int>(start + length);
}

}  // namespace

WindowRect FitRectToDesktop(WindowRect r, WindowRect available) {
  if (available.right <= available.left || available.bottom <= available.top) return r;
  const long long width = static_cast<long long>(r.right) - r.left;
  const long long height = static_cast<long long>(r.bottom) - r.top;
  const bool reachable =
      Overlap(r.left, r.right, available.left, available.right) >=
          std::min(width, kMinVisiblePart) &&
      Overlap(r.top, r.bottom, available.top, available.bottom) >=
          std::min(height, kMinVisiblePart);
  FitSpan(r.left, r.right, available.left, available.right, !reachable);
  FitSpan(r.top, r.bottom, available.top, available.bottom, !reachable);
  return r;
}

WindowRect AvailableAreaFor(const WindowRect& r, const std::vector<WindowRect>& areas) {
  if (areas.empty()) return WindowRect{};
  const WindowRect* best = &areas.front();
  long long bestOverlap = 0;
  for (const WindowRect& area : areas) {
    const long long overlap = Overlap(r.left, r.right, area.left, area.right) *
                              Overlap(r.top, r.bottom, area.top, area.bottom);
    if (overlap > bestOverlap) {
      bestOverlap = overlap;
      best = &area;
    }
  }
  return *best;
}

}  // namespace app
