#include "app/window_rect_text.h"

#include <gtest/gtest.h>

#include <climits>

namespace app {
namespace {

TEST(WindowRectTextTest, FormatsFourPaddedFields) {
  EXPECT_EQ(FormatRectText({10, 10, 500, 400}), "0010 0010 0500 0400");
  EXPECT_EQ(FormatRectText({-5, 0, 9999, -999}), "-005 0000 9999 -999");
  EXPECT_EQ(FormatRectText({INT_MIN, INT_MAX, 12345, -12345}),
            "-2147483648 2147483647 12345 -12345");
}

TEST(WindowRectTextTest, EveryCoordinateFromMinus999To9999ReadsBack) {
  for (int v = -999; v <= 9999; ++v) {
    const WindowRect rect{v, -v / 10, 9999 - v, v % 1000};
    const std::optional<WindowRect> read = ParseRectText(FormatRectText(rect));
    ASSERT_TRUE(read.has_value()) << v;
    ASSERT_EQ(*read, rect) << FormatRectText(rect);
  }
}

TEST(WindowRectTextTest, ReadsFieldsAtFixedPositions) {
  EXPECT_EQ(ParseRectText("  10 +010 -010 0400"), (WindowRect{10, 10, -10, 400}));
  EXPECT_EQ(ParseRectText("0010 0010 0500 4"), (WindowRect{10, 10, 500, 4}));
  EXPECT_EQ(ParseRectText("1x   2y   3z   4w and more"), (WindowRect{1, 2, 3, 4}));
}

TEST(WindowRectTextTest, RejectsShortOrDigitlessText) {
  for (const char* text : {"", "0010", "0010 0010 0500", "0010 0010 0500 ", "0010 0010 0500  ",
                           "abcd 0010 0500 0400", "0010 0010 ---- 0400"}) {
    EXPECT_EQ(ParseRectText(text), std::nullopt) << '"' << text << '"';
  }
}

TEST(WindowRectTextTest, AnyPrefixOfAWideTextIsSafe) {
  // Each prefix lives in its own buffer so that reading past its end is caught by
  // the sanitizers.
  const std::string full = FormatRectText({INT_MIN, -1, INT_MAX, 12345});
  for (std::size_t n = 0; n <= full.size(); ++n) {
    const std::string prefix = full.substr(0, n);
    const std::optional<WindowRect> read = ParseRectText(prefix);
    EXPECT_EQ(read.has_value(), n > 15) << prefix;
  }
}

}  // namespace
}  // namespace app
