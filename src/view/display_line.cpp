#include "view/display_line.h"

namespace view {
namespace {

constexpr std::size_t kMarkerBytes = 2;  // as counted for the limits
constexpr std::string_view kNoMarker = "  ";
constexpr std::string_view kEllipsis = "...";
constexpr std::string_view kBreakSign = "\u21B5";

// The length of the line break at `pos` of UTF-8 text, 0 if there is none.
std::size_t BreakLength(std::string_view text, std::size_t pos) {
  const std::string_view rest = text.substr(pos);
  if (rest.starts_with("\r\n")) return 2;
  if (rest[0] == '\n' || rest[0] == '\r') return 1;
  if (rest.starts_with("\u0085")) return 2;
  if (rest.starts_with("\u2028") || rest.starts_with("\u2029")) return 3;
  return 0;
}

}  // namespace

std::string BuildDisplayLine(std::string_view item, bool marked, platform::CodePage cp) {
  item = TextBeforeZero(item);
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

std::string DisplayUtf8(std::string_view line, platform::CodePage cp) {
  const std::string utf8 = platform::ToUtf8(line, cp);
  std::string shown;
  shown.reserve(utf8.size());
  for (std::size_t pos = 0; pos < utf8.size();) {
    if (const std::size_t n = BreakLength(utf8, pos)) {
      shown.append(kBreakSign);
      pos += n;
    } else {
      shown.push_back(utf8[pos++]);
    }
  }
  return shown;
}

}  // namespace view
