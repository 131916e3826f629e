#include "platform/code_page.h"

#include <gtest/gtest.h>

#include <clocale>
#include <string>

namespace platform {
namespace {

// Texts of the program in both encodings.
const std::string kCountUtf8 = "項目数";
const std::string kCountCp932 = "\x8D\x80\x96\xDA\x90\x94";
const std::string kClipboardUtf8 = "ｸﾘｯﾌﾟﾎﾞｰﾄﾞ";
const std::string kClipboardCp932 = "\xB8\xD8\xAF\xCC\xDF\xCE\xDE\xB0\xC4\xDE";
const std::string kMemoryMessage = "ﾒﾓﾘ不足で表示用ﾃｷｽﾄを作成できず、全項目を表示できません。";
const std::string kEmoji = "\xF0\x9F\x98\x80";  // U+1F600
const std::string kReplacement = "\xEF\xBF\xBD";

struct LengthCase {
  const char* name;
  CodePage cp;
  std::string text;
  std::size_t pos;
  std::size_t expected;
};

void PrintTo(const LengthCase& c, std::ostream* os) { *os << c.name; }

class CharLengthTest : public testing::TestWithParam<LengthCase> {};

TEST_P(CharLengthTest, StepsOneCharacter) {
  const LengthCase& c = GetParam();
  EXPECT_EQ(CharLength(c.text, c.pos, c.cp), c.expected);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, CharLengthTest,
    testing::Values(
        LengthCase{"Utf8Ascii", CodePage::Utf8, "ab", 0, 1},
        LengthCase{"Utf8Kanji", CodePage::Utf8, kCountUtf8, 3, 3},
        LengthCase{"Utf8HalfWidthKana", CodePage::Utf8, kClipboardUtf8, 0, 3},
        LengthCase{"Utf8FourBytes", CodePage::Utf8, kEmoji, 0, 4},
        LengthCase{"Utf8TruncatedAtEnd", CodePage::Utf8, "a\xE9\xA0", 1, 1},
        LengthCase{"Utf8StrayContinuation", CodePage::Utf8, "\x80\x80", 0, 1},
        LengthCase{"Utf8Overlong", CodePage::Utf8, "\xC0\x80", 0, 1},
        LengthCase{"Utf8Surrogate", CodePage::Utf8, "\xED\xA0\x80", 0, 1},
        LengthCase{"Utf8BeyondUnicode", CodePage::Utf8, "\xF4\x90\x80\x80", 0, 1},
        LengthCase{"Utf8AtEnd", CodePage::Utf8, "ab", 2, 0},
        LengthCase{"Utf8PastEnd", CodePage::Utf8, "ab", 7, 0},
        LengthCase{"Cp932Ascii", CodePage::Cp932, "a\x81\x9D", 0, 1},
        LengthCase{"Cp932Kanji", CodePage::Cp932, kCountCp932, 2, 2},
        LengthCase{"Cp932HighLead", CodePage::Cp932, "\xFC\xFC", 0, 2},
        LengthCase{"Cp932KanaBeforeKana", CodePage::Cp932, kClipboardCp932, 0, 1},
        LengthCase{"Cp932KanaBeforeLeadByte", CodePage::Cp932, "\xB8\x8D\x80", 0, 1},
        LengthCase{"Cp932LeadAtEnd", CodePage::Cp932, "a\x81", 1, 1},
        LengthCase{"Cp932LeadWithBadTrail", CodePage::Cp932, "\x81\x20", 0, 1},
        LengthCase{"Cp932NotALead", CodePage::Cp932, "\xA0\x40", 0, 1},
        LengthCase{"Cp932AtEnd", CodePage::Cp932, "a", 1, 0}),
    [](const testing::TestParamInfo<LengthCase>& info) { return std::string(info.param.name); });

TEST(CharBoundaryTest, NeverSplitsACharacter) {
  // "a", one kanji (2 bytes), one half-width kana (1 byte) in CP932.
  const std::string cp932 = "a\x8D\x80\xB8";
  const std::size_t cp932Expected[] = {0, 1, 1, 3, 4, 4, 4};
  for (std::size_t max = 0; max < std::size(cp932Expected); ++max) {
    EXPECT_EQ(CharBoundaryAtOrBefore(cp932, max, CodePage::Cp932), cp932Expected[max]) << max;
  }
  const std::string utf8 = "a" + kCountUtf8;
  const std::size_t utf8Expected[] = {0, 1, 1, 1, 4, 4, 4, 7, 7, 7, 10, 10};
  for (std::size_t max = 0; max < std::size(utf8Expected); ++max) {
    EXPECT_EQ(CharBoundaryAtOrBefore(utf8, max, CodePage::Utf8), utf8Expected[max]) << max;
  }
}

TEST(CharBoundaryTest, InvalidBytesCountAsSingleCharacters) {
  EXPECT_EQ(CharBoundaryAtOrBefore("ab\xE9\xA0", 3, CodePage::Utf8), 3u);
  EXPECT_EQ(CharBoundaryAtOrBefore("ab\x81", 3, CodePage::Cp932), 3u);
  // A run of half-width kana has a boundary after every byte.
  const std::string kana(300, '\xB8');
  EXPECT_EQ(CharBoundaryAtOrBefore(kana, 255, CodePage::Cp932), 255u);
}

TEST(ConversionTest, JapaneseTextRoundTripsThroughCp932) {
  EXPECT_EQ(FromUtf8(kCountUtf8, CodePage::Cp932), kCountCp932);
  EXPECT_EQ(FromUtf8(kClipboardUtf8, CodePage::Cp932), kClipboardCp932);
  EXPECT_EQ(ToUtf8(kCountCp932, CodePage::Cp932), kCountUtf8);
  EXPECT_EQ(ToUtf8(kClipboardCp932, CodePage::Cp932), kClipboardUtf8);
  EXPECT_EQ(ToUtf8(FromUtf8(kMemoryMessage, CodePage::Cp932), CodePage::Cp932), kMemoryMessage);
  EXPECT_EQ(FromUtf8("\xE2\x97\x8E", CodePage::Cp932), MarkerBytes(CodePage::Cp932));
}

TEST(ConversionTest, LongTextRoundTripsAcrossConversionChunks) {
  std::string utf8;
  for (int i = 0; i < 20000; ++i) utf8 += kMemoryMessage + "\r\n" + kClipboardUtf8 + "\t";
  const std::string cp932 = FromUtf8(utf8, CodePage::Cp932);
  EXPECT_EQ(ToUtf8(cp932, CodePage::Cp932), utf8);
}

TEST(ConversionTest, Utf8ToUtf8KeepsValidTextAndReplacesInvalidBytes) {
  const std::string valid = kMemoryMessage + kEmoji + std::string("a\0b", 3);
  EXPECT_EQ(FromUtf8(valid, CodePage::Utf8), valid);
  EXPECT_EQ(ToUtf8(valid, CodePage::Utf8), valid);
  EXPECT_EQ(FromUtf8("a\xFF" "b\xE9\xA0", CodePage::Utf8), "a?b??");
  EXPECT_EQ(ToUtf8("a\xFF" "b\xED\xA0\x80", CodePage::Utf8),
            "a" + kReplacement + "b" + kReplacement + kReplacement + kReplacement);
}

TEST(ConversionTest, CharactersMissingFromCp932BecomeQuestionMarks) {
  EXPECT_EQ(FromUtf8("a" + kEmoji + "b", CodePage::Cp932), "a?b");
  EXPECT_EQ(FromUtf8(kCountUtf8 + kEmoji + kEmoji, CodePage::Cp932), kCountCp932 + "??");
  EXPECT_EQ(FromUtf8("a\xFF" "b", CodePage::Cp932), "a?b");
  EXPECT_EQ(FromUtf8(kCountUtf8 + "\xE9\xA0", CodePage::Cp932), kCountCp932 + "??");
}

TEST(ConversionTest, InvalidCp932BecomesReplacementCharacters) {
  // An unassigned pair is one character; a lead byte with a bad trail is one byte.
  EXPECT_EQ(ToUtf8("\x85\x40" "a", CodePage::Cp932), kReplacement + "a");
  EXPECT_EQ(ToUtf8("\x81\x20" "a", CodePage::Cp932), kReplacement + " a");
  EXPECT_EQ(ToUtf8("\xA0" + kCountCp932, CodePage::Cp932), kReplacement + kCountUtf8);
  EXPECT_EQ(ToUtf8(kCountCp932 + "\x81", CodePage::Cp932), kCountUtf8 + kReplacement);
}

TEST(ConversionTest, FromUtf16) {
  const std::u16string count = u"項目数";
  EXPECT_EQ(FromUtf16(count, CodePage::Utf8), kCountUtf8);
  EXPECT_EQ(FromUtf16(count, CodePage::Cp932), kCountCp932);
  EXPECT_EQ(FromUtf16(u"ｸﾘｯﾌﾟﾎﾞｰﾄﾞ", CodePage::Cp932), kClipboardCp932);
  EXPECT_EQ(FromUtf16(u"a\U0001F600b", CodePage::Utf8), "a" + kEmoji + "b");
  EXPECT_EQ(FromUtf16(u"a\U0001F600b", CodePage::Cp932), "a?b");
  const char16_t lone[] = {u'a', 0xD800, u'b', 0xDC00, u'c', 0xD83D};
  EXPECT_EQ(FromUtf16(std::u16string_view(lone, std::size(lone)), CodePage::Utf8), "a?b?c?");
  EXPECT_EQ(FromUtf16(std::u16string_view(lone, std::size(lone)), CodePage::Cp932), "a?b?c?");
  EXPECT_EQ(FromUtf16(std::u16string_view(u"x\0y", 3), CodePage::Cp932), std::string("x\0y", 3));
}

TEST(CodePageNameTest, ParsesSettingValues) {
  EXPECT_EQ(ParseCodePageName("CP932"), CodePage::Cp932);
  EXPECT_EQ(ParseCodePageName("cp932"), CodePage::Cp932);
  EXPECT_EQ(ParseCodePageName("Shift_JIS"), CodePage::Cp932);
  EXPECT_EQ(ParseCodePageName("sjis"), CodePage::Cp932);
  EXPECT_EQ(ParseCodePageName("UTF-8"), CodePage::Utf8);
  EXPECT_EQ(ParseCodePageName("utf8"), CodePage::Utf8);
  EXPECT_EQ(ParseCodePageName(""), std::nullopt);
  EXPECT_EQ(ParseCodePageName("UTF-16"), std::nullopt);
  EXPECT_EQ(ParseCodePageName("CP9320"), std::nullopt);
}

TEST(CodePageNameTest, CLocaleIsUtf8AndSettingOverrides) {
  const std::string saved = std::setlocale(LC_CTYPE, nullptr);
  std::setlocale(LC_CTYPE, "C");
  EXPECT_EQ(CodePageFromLocale(), CodePage::Utf8);
  std::setlocale(LC_CTYPE, saved.c_str());

  SetSystemCodePage(CodePage::Cp932);
  EXPECT_EQ(SystemCodePage(), CodePage::Cp932);
  SetSystemCodePage(CodePage::Utf8);
  EXPECT_EQ(SystemCodePage(), CodePage::Utf8);
}

TEST(CodePageNameTest, MarkerBytes) {
  EXPECT_EQ(MarkerBytes(CodePage::Utf8), "\xE2\x97\x8E");
  EXPECT_EQ(MarkerBytes(CodePage::Cp932), "\x81\x9D");
}

}  // namespace
}  // namespace platform
