#include "app/window_placement.h"

#include <gtest/gtest.h>

#include <ostream>

namespace app {

void PrintTo(const WindowRect& r, std::ostream* os) {
  *os << '(' << r.left << ", " << r.top << ", " << r.right << ", " << r.bottom << ')';
}

namespace {

constexpr WindowRect kScreen{0, 0, 800, 600};
constexpr WindowRect kRightScreen{800, 100, 2080, 1124};

struct FitCase {
  const char* name;
  WindowRect saved;
  WindowRect available;
  WindowRect expected;
};

void PrintTo(const FitCase& c, std::ostream* os) { *os << c.name; }

class FitRectTest : public testing::TestWithParam<FitCase> {};

TEST_P(FitRectTest, FitsTheDesktop) {
  EXPECT_EQ(FitRectToDesktop(GetParam().saved, GetParam().available), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    All, FitRectTest,
    testing::Values(
        FitCase{"Inside", {10, 10, 500, 400}, kScreen, {10, 10, 500, 400}},
        FitCase{"FillsTheArea", {0, 0, 800, 600}, kScreen, {0, 0, 800, 600}},
        FitCase{"PartlyOffTopLeft", {-100, -100, 320, 210}, kScreen, {-100, -100, 320, 210}},
        FitCase{"PartlyOffBottomRight", {700, 500, 1100, 800}, kScreen, {700, 500, 1100, 800}},
        FitCase{"SliverOnTheRight", {790, 10, 1190, 310}, kScreen, {400, 10, 800, 310}},
        FitCase{"SliverAtTheTop", {10, -280, 410, 20}, kScreen, {10, 0, 410, 300}},
        FitCase{"FarOff", {9000, 9000, 9500, 9400}, kScreen, {300, 200, 800, 600}},
        FitCase{"WhollyOffTopLeft", {-999, -999, -579, -689}, kScreen, {0, 0, 420, 310}},
        FitCase{"Huge", {0, 0, 32767, 32767}, kScreen, {0, 0, 800, 600}},
        FitCase{"TooWideOnly", {-50, 100, 1950, 300}, kScreen, {0, 100, 800, 300}},
        FitCase{"TooTallPartlyOff", {700, -5000, 900, 5000}, kScreen, {700, 0, 900, 600}},
        FitCase{"TinyHalfOff", {795, 595, 805, 605}, kScreen, {790, 590, 800, 600}},
        FitCase{"OtherScreenOrigin", {10, 10, 500, 400}, kRightScreen, {800, 100, 1290, 490}},
        FitCase{"EmptyArea", {9000, 9000, 9500, 9400}, {0, 0, 0, 0}, {9000, 9000, 9500, 9400}},
        FitCase{"ExtremeCoordinates", {-32768, -32768, -1, -1}, kScreen, {0, 0, 800, 600}}),
    [](const testing::TestParamInfo<FitCase>& info) { return info.param.name; });

TEST(AvailableAreaForTest, PicksTheScreenOverlappedMostElseThePrimary) {
  const std::vector<WindowRect> screens = {kScreen, kRightScreen};
  EXPECT_EQ(AvailableAreaFor({10, 10, 500, 400}, screens), kScreen);
  EXPECT_EQ(AvailableAreaFor({700, 200, 1300, 700}, screens), kRightScreen);
  EXPECT_EQ(AvailableAreaFor({9000, 9000, 9500, 9400}, screens), kScreen);
  EXPECT_EQ(AvailableAreaFor({10, 10, 500, 400}, {}), WindowRect{});
}

}  // namespace
}  // namespace app
