#include "view/display_line.h"

#include <gtest/gtest.h>

#include <string>

namespace view {
namespace {

using platform::CodePage;

const std::string kMarkerUtf8 = "\xE2\x97\x8E";
const std::string kMarkerCp932 = "\x81\x9D";

TEST(DisplayLineTest, ShortItemsStayWhole) {
  EXPECT_EQ(BuildDisplayLine("", false, CodePage::Utf8), "  ");
  EXPECT_EQ(BuildDisplayLine("", true, CodePage::Utf8), kMarkerUtf8);
  EXPECT_EQ(BuildDisplayLine("a\tb\r\nc", true, CodePage::Cp932), kMarkerCp932 + "a\tb\r\nc");
  // Only the text before a zero byte is shown, and only it counts for the length limit.
  EXPECT_EQ(BuildDisplayLine(std::string("ab\0cd", 5), false, CodePage::Utf8), "  ab");
  const std::string zeroThenLong = "x" + std::string(1, '\0') + std::string(300, 'y');
  EXPECT_EQ(BuildDisplayLine(zeroThenLong, true, CodePage::Cp932), kMarkerCp932 + "x");
}

struct LimitCase {
  CodePage cp;
  bool marked;
  std::string marker;
};

void PrintTo(const LimitCase& c, std::ostream* os) {
  *os << (c.cp == CodePage::Cp932 ? "Cp932" : "Utf8") << (c.marked ? " marked" : " unmarked");
}

class DisplayLineLimitTest : public testing::TestWithParam<LimitCase> {};

// The marker counts as two bytes in every code page, so the limits fall on the same item
// lengths whatever the marker's encoding.
TEST_P(DisplayLineLimitTest, ItemOf258BytesIsWholeAnd259IsCut) {
  const LimitCase& c = GetParam();
  const std::string item258(258, 'x');
  EXPECT_EQ(BuildDisplayLine(item258, c.marked, c.cp), c.marker + item258);

  std::string item259 = std::string(253, 'x') + "yz" + std::string(4, 'w');
  EXPECT_EQ(BuildDisplayLine(item259, c.marked, c.cp),
            c.marker + std::string(253, 'x') + "y...");
}

INSTANTIATE_TEST_SUITE_P(Markers, DisplayLineLimitTest,
                         testing::Values(LimitCase{CodePage::Utf8, false, "  "},
                                         LimitCase{CodePage::Utf8, true, kMarkerUtf8},
                                         LimitCase{CodePage::Cp932, false, "  "},
                                         LimitCase{CodePage::Cp932, true, kMarkerCp932}));

TEST(DisplayLineTest, CutNeverSplitsCp932DoubleByteCharacter) {
  // "a" then kanji: the kanji at bytes 253-254 would cross the cut at 254.
  std::string kanji = "a";
  for (int i = 0; i < 200; ++i) kanji += "\x8D\x80";
  EXPECT_EQ(BuildDisplayLine(kanji, false, CodePage::Cp932), "  " + kanji.substr(0, 253) + "...");

  // A half-width kana byte is a whole character and shifts the kanji by one byte.
  std::string kana = "\xB8";
  for (int i = 0; i < 200; ++i) kana += "\x8D\x80";
  EXPECT_EQ(BuildDisplayLine(kana, false, CodePage::Cp932), "  " + kana.substr(0, 253) + "...");

  const std::string kanaOnly(300, '\xB8');
  EXPECT_EQ(BuildDisplayLine(kanaOnly, true, CodePage::Cp932),
            kMarkerCp932 + kanaOnly.substr(0, 254) + "...");
}

TEST(DisplayLineTest, CutNeverSplitsUtf8Character) {
  std::string text = "a";
  for (int i = 0; i < 40; ++i) text += "項目数";
  EXPECT_EQ(BuildDisplayLine(text, true, CodePage::Utf8), kMarkerUtf8 + text.substr(0, 253) + "...");
  EXPECT_EQ(BuildDisplayLine(text.substr(1), false, CodePage::Utf8),
            "  " + text.substr(1, 252) + "...");
}

TEST(DisplayLineTest, HugeItemGivesShortLine) {
  const std::string huge(50 * 1024 * 1024, 'x');
  EXPECT_EQ(BuildDisplayLine(huge, false, CodePage::Utf8).size(), 259u);
  EXPECT_EQ(BuildDisplayLine(huge, true, CodePage::Cp932).size(), 259u);
}

struct BreakCase {
  CodePage cp;
  std::string line;  // in the code page
  std::string shown;  // UTF-8
};

// Every kind of line break shows as one sign, so that an item stays one line high; the
// Unicode separators exist only in UTF-8 (CP932 has none of them).
TEST(DisplayLineTest, EveryLineBreakShowsAsOneSign) {
  const BreakCase cases[] = {
      {CodePage::Utf8, "a\nb\rc\r\nd", "a↵b↵c↵d"},
      {CodePage::Utf8, "a\n\r\r\nb", "a↵↵↵b"},
      {CodePage::Utf8, "p\u2028q\u2029r\u0085s", "p↵q↵r↵s"},
      {CodePage::Utf8, "\u2029\u2028\u0085", "↵↵↵"},
      {CodePage::Utf8, "no\u00A0break\u2027\u202A", "no\u00A0break\u2027\u202A"},
      {CodePage::Cp932, "a\r\nb\nc\rd", "a↵b↵c↵d"},
      {CodePage::Cp932, "\x81\x9D\x8D\x80", "◎項"},
  };
  for (const BreakCase& c : cases) {
    EXPECT_EQ(DisplayUtf8(c.line, c.cp), c.shown) << c.line;
  }
}

}  // namespace
}  // namespace view
