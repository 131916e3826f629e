#include "view/search_list.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "document/clip_list.h"

namespace view {
namespace {

using platform::CodePage;

struct StepCase {
  const char* name;
  std::vector<std::string> items;
  const char* text;
  int selected;
  bool down;
  int expected;
};

class SearchListStepTest : public testing::TestWithParam<StepCase> {};

TEST_P(SearchListStepTest, StopsAtTheFirstMatchInTheDirectionWithoutWrapping) {
  const StepCase& c = GetParam();
  doc::CClipList list;
  for (const std::string& item : c.items) list.AddTail(item);
  EXPECT_EQ(SearchList(list, c.text, c.selected, c.down, CodePage::Utf8), c.expected);
}

const std::vector<std::string> kItems = {"apple", "banana", "cherry", "banana split", "date"};

INSTANTIATE_TEST_SUITE_P(
    Rules, SearchListStepTest,
    testing::Values(
        StepCase{"DownFromTheLineAfterTheSelection", kItems, "banana", 1, true, 3},
        StepCase{"UpFromTheLineBeforeTheSelection", kItems, "banana", 3, false, 1},
        StepCase{"DownWithNoSelectionStartsAtTheFirstItem", kItems, "apple", -1, true, 0},
        StepCase{"UpWithNoSelectionStartsAtTheLastItem", kItems, "a", -1, false, 4},
        StepCase{"LastLineDownDoesNotWrap", kItems, "apple", 4, true, -1},
        StepCase{"FirstLineUpTestsNothing", kItems, "date", 0, false, -1},
        StepCase{"OnlyTheSelectedItemHoldsItDown", kItems, "cherry", 2, true, -1},
        StepCase{"OnlyTheSelectedItemHoldsItUp", kItems, "cherry", 2, false, -1},
        StepCase{"LowerCaseDoesNotFindUpperCase", {"x", "HELLO", "Hello"}, "hello", 0, true, -1},
        StepCase{"CaseMustMatchExactly", {"x", "HELLO", "Hello"}, "Hello", 0, true, 2},
        StepCase{"FullWidthIsNotHalfWidth", {"x", "ＡＢＣ", "ｶﾅ", "カナ"}, "カナ", 0, true, 3},
        StepCase{"EmptyTextFindsNothing", kItems, "", -1, true, -1},
        StepCase{"StaleSelectionPastTheEndUp", kItems, "date", 9, false, 4},
        StepCase{"MatchAcrossALineBreak", {"x", "one\r\ntwo"}, "e\r\nt", 0, true, 1},
        StepCase{"NothingAfterAZeroByteIsFound", {"x", std::string("ab\0cd", 5), "cd"}, "cd", 0,
                 true, 2}),
    [](const testing::TestParamInfo<StepCase>& info) { return info.param.name; });

struct BoundaryCase {
  const char* name;
  CodePage cp;
  std::string item;
  std::string text;
  bool found;
};

class ItemMatcherBoundaryTest : public testing::TestWithParam<BoundaryCase> {};

TEST_P(ItemMatcherBoundaryTest, MatchesOnlyFromACharacterBoundary) {
  const BoundaryCase& c = GetParam();
  EXPECT_EQ(ItemMatcher(c.text, c.cp).Contains(c.item), c.found);
}

INSTANTIATE_TEST_SUITE_P(
    CodePages, ItemMatcherBoundaryTest,
    testing::Values(
        // "アア" is 83 41 83 41: "A\x83" (41 83) sits across the two characters.
        BoundaryCase{"Cp932StraddlingTwoCharacters", CodePage::Cp932, "\x83\x41\x83\x41",
                     "\x41\x83", false},
        // The trail byte 0x41 is an ASCII 'A' on its own.
        BoundaryCase{"Cp932TrailByteIsNotALetter", CodePage::Cp932, "\x83\x41", "A", false},
        BoundaryCase{"Cp932LetterAfterADoubleByteCharacter", CodePage::Cp932, "\x83\x41" "A",
                     "A", true},
        // A false hit inside a character, then a real one further on.
        BoundaryCase{"Cp932LaterHitOnABoundary", CodePage::Cp932, "\x83\x41\x83\x41" "A\x83\x41",
                     "A\x83", true},
        BoundaryCase{"Cp932WholeCharacter", CodePage::Cp932, "x\x83\x41\x83\x41", "\x83\x41\x83",
                     true},
        // Half-width katakana are single bytes in the lead range's gap.
        BoundaryCase{"Cp932HalfWidthKana", CodePage::Cp932, "\xB1\xB2\xB3", "\xB2\xB3", true},
        // The same bytes read as UTF-8 (where they are invalid) count one byte per character.
        BoundaryCase{"Utf8InvalidBytesAreCharacters", CodePage::Utf8, "\x83\x41\x83\x41",
                     "\x41\x83", true},
        // "あい" is E3 81 82 E3 81 84: "\x82\xE3" starts inside "あ".
        BoundaryCase{"Utf8InsideACharacter", CodePage::Utf8, "あい", "\x82\xE3", false},
        BoundaryCase{"Utf8WholeCharacter", CodePage::Utf8, "あい", "い", true},
        BoundaryCase{"Utf8ContinuationBytesAlone", CodePage::Utf8, "あ", "\x81\x82", false},
        // Longer items, where sixteen starts are looked at together.
        BoundaryCase{"Utf8LongItemInsideCharacters", CodePage::Utf8,
                     "あいうえおかきくけこさしすせそ", "\x81\xE3", false},
        BoundaryCase{"Cp932LongItemHitAfterFalseOnes", CodePage::Cp932,
                     "\x83\x41\x83\x41\x83\x41\x83\x41\x83\x41\x83\x41\x83\x41\x83\x41"
                     "\x83\x41\x83\x41\x83\x41\x83\x41" "A\x83\x41",
                     "A\x83", true}),
    [](const testing::TestParamInfo<BoundaryCase>& info) { return info.param.name; });

// Every start position in a long item, with the text whole and with its last byte wrong.
TEST(ItemMatcherTest, FindsTheTextAtEveryPositionOfALongItem) {
  for (const std::string text : {"q", "qr", "qrs", "qrstuvwxyz0123456789"}) {
    std::string wrongEnd = text;
    wrongEnd.back() = 'Q';
    const ItemMatcher matcher(text, CodePage::Utf8);
    for (std::size_t at = 0; at + text.size() <= 64; ++at) {
      std::string item(64, '.');
      item.replace(at, text.size(), wrongEnd);
      EXPECT_FALSE(matcher.Contains(item)) << text << " at " << at;
      item.replace(at, text.size(), text);
      EXPECT_TRUE(matcher.Contains(item)) << text << " at " << at;
    }
  }
}

TEST(SearchListTest, SkipsItemsThatHoldTheTextOnlyInsideACharacter) {
  doc::CClipList list;
  list.AddTail("\x83\x41\x83\x41");  // "アア": 41 83 straddles the characters
  list.AddTail("\x41\x83\x41");      // 'A' then "ア"
  EXPECT_EQ(SearchList(list, "\x41\x83", -1, true, CodePage::Cp932), 1);
  EXPECT_EQ(SearchList(list, "\x41\x83", -1, true, CodePage::Utf8), 0);
}

}  // namespace
}  // namespace view
