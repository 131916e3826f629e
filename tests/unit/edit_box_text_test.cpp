#include "dialogs/edit_box_text.h"

#include <gtest/gtest.h>

#include <string>

namespace dialogs {
namespace {

using platform::CodePage;

// Box texts are written with "¶" for the box's paragraph separator.
std::string Box(std::string text) {
  for (std::size_t pos = 0; (pos = text.find("¶", pos)) != std::string::npos;) {
    text.replace(pos, 2, "\u2029");
  }
  return text;
}

struct LinesCase {
  const char* name;
  CodePage cp;
  std::string item;
  std::string box;
  std::string expected;
};

class EditBoxTextLinesTest : public testing::TestWithParam<LinesCase> {};

// Lines the user did not touch keep their bytes and their breaks wherever the edits are;
// a line break typed into the box takes the item's first kind.
TEST_P(EditBoxTextLinesTest, UntouchedLinesKeepTheirBreaks) {
  const LinesCase& c = GetParam();
  const EditBoxText text(c.item, c.cp, EditBoxText::BreakFor(c.item));
  EXPECT_EQ(text.ItemText(Box(c.box)), c.expected);
}

INSTANTIATE_TEST_SUITE_P(
    EditBoxText, EditBoxTextLinesTest,
    testing::Values(
        LinesCase{"EditedAtBothEnds", CodePage::Utf8, "one\r\ntwo\nthree\rfour\r\nfive",
                  "Zone¶two¶three¶four¶fiveX", "Zone\r\ntwo\nthree\rfour\r\nfiveX"},
        LinesCase{"ParagraphSeparatorsEditedAtBothEnds", CodePage::Utf8, "a\u2029b\u2029c\nd",
                  "Xa¶b¶c¶dY", "Xa\u2029b\u2029c\ndY"},
        LinesCase{"LineAddedBetweenEdits", CodePage::Utf8, "a\nb\rc\r\nd", "a1¶b¶new¶c¶d2",
                  "a1\nb\rnew\nc\r\nd2"},
        LinesCase{"LineRemovedBetweenEdits", CodePage::Utf8, "a\r\nb\nc\rd\ne", "A¶b¶d¶E",
                  "A\r\nb\nd\nE"},
        LinesCase{"EnterInsideAnEditedLine", CodePage::Utf8, "ab\r\ncd\nef", "Xa¶b¶cd¶efY",
                  "Xa\r\nb\r\ncd\nefY"},
        LinesCase{"RepeatedLinesEditedBetween", CodePage::Utf8, "x\ry\nx\r\ny", "x¶Y¶x¶Y",
                  "x\rY\nx\r\nY"},
        LinesCase{"Cp932EditedAtBothEnds", CodePage::Cp932, "\x82\xA0\rb\r\nc", "Xあ¶b¶cい",
                  "X\x82\xA0\rb\r\nc\x82\xA2"}),
    [](const testing::TestParamInfo<LinesCase>& info) { return info.param.name; });

// Lines far apart in a long item: the line matching stays bounded, and with the line count
// unchanged every break still keeps its bytes.
TEST(EditBoxTextTest, LongItemEditedFarApartKeepsItsBreaks) {
  std::string item;
  std::string box;
  for (int i = 0; i < 100000; ++i) {
    const std::string line = "line" + std::to_string(i);
    item += line + (i % 2 ? "\r" : "\n");
    box += (i == 0 ? "x" : "") + line + "\u2029";
  }
  item += "end";
  box += "end!";
  const EditBoxText text(item, CodePage::Utf8, EditBoxText::BreakFor(item));
  EXPECT_EQ(text.ItemText(box), "x" + item + "!");
}

}  // namespace
}  // namespace dialogs
