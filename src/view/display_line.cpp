#include "view/display_line.h"

namespace view {
namespace {

constexpr std::size_t kMarkerBytes = 2;  // as counted for the limits
constexpr std::string_view kNoMarker = "  ";
constexpr std::string_view kEllipsis = "...";

}  // namespace

std::string BuildDisplayLine(std::string_view item, bool marked, platform::CodePage cp) {
  const std::string_view marker = marked ? platform::MarkerBytes(cp) : kNoMarker;
  const bool whole = item.size() <= kMaxDisplayBytes - kMarkerBytes;
  const std::size_t textBytes =
      whole ? item.size()
            : platform::CharBoundaryAtOrBefore(item, kCutBytes - kMarkerBytes, cp);

  std::string line;
  line.reserve(marker.size() + textBytes + (whole ? 0 : kEllipsis.size()));
  line.append(marker);
  line.append(item.substr(0, textBytes));
  if (!whole) line.append(kEllipsis);
  return line;
}

}  // namespace view
