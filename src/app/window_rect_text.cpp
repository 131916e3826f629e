#include "app/window_rect_text.h"

#include <array>
#include <cstdio>

#include "platform/profile_file.h"

namespace app {

std::string FormatRectText(const WindowRect& rect) {
  std::array<char, 64> buffer{};  // four full ints with signs and blanks fit
  const int length = std::snprintf(buffer.data(), buffer.size(), "%04d %04d %04d %04d",
                                   rect.left, rect.top, rect.right, rect.bottom);
  return std::string(buffer.data(), static_cast<std::size_t>(length));
}

std::optional<WindowRect> ParseRectText(std::string_view text) {
  constexpr std::array<std::size_t, 4> kFieldPositions = {0, 5, 10, 15};
  std::array<int, 4> fields{};
  for (std::size_t i = 0; i < kFieldPositions.size(); ++i) {
    if (kFieldPositions[i] >= text.size()) return std::nullopt;
    const std::optional<int> value = platform::ParseProfileInt(text.substr(kFieldPositions[i]));
    if (!value) return std::nullopt;
    fields[i] = *value;
  }
  return WindowRect{fields[0], fields[1], fields[2], fields[3]};
}

}  // namespace app
