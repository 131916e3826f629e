#include "document/text_file_codec.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace doc {
namespace {

using Lines = std::vector<std::string>;
using platform::CodePage;

// "あい" in each encoding.
const std::string kUtf8 = "\xE3\x81\x82\xE3\x81\x84";
const std::string kCp932 = "\x82\xA0\x82\xA2";

TEST(TextFileCodecTest, DecodesEachEncodingIntoTheCodePage) {
  struct Case {
    const char* name;
    std::string bytes;
    CodePage cp;
    Lines lines;
  };
  const Case cases[] = {
      {"utf-8", kUtf8 + "\nb", CodePage::Utf8, {kUtf8, "b"}},
      {"utf-8 to cp932", kUtf8 + "\nb", CodePage::Cp932, {kCp932, "b"}},
      {"utf-8 bom", "\xEF\xBB\xBF" + kUtf8, CodePage::Utf8, {kUtf8}},
      {"utf-8 bom, invalid byte", "\xEF\xBB\xBF" "a\xFF", CodePage::Utf8, {"a?"}},
      {"cp932 file", kCp932 + "\r\nx", CodePage::Utf8, {kUtf8, "x"}},
      {"cp932 file, cp932 lists", kCp932, CodePage::Cp932, {kCp932}},
      {"utf-16le bom", std::string("\xFF\xFE\x42\x30\x0A\x00z\x00", 8), CodePage::Utf8, {"\xE3\x81\x82", "z"}},
      {"utf-16be bom", std::string("\xFE\xFF\x30\x42\x00\x0D\x00z\x00", 9), CodePage::Cp932, {"\x82\xA0", "z"}},
      {"utf-16 odd byte", std::string("\xFF\xFEq\x00\x01", 5), CodePage::Utf8, {"q"}},
      {"no counterpart in cp932", "\xC3\xA9", CodePage::Cp932, {"?"}},
      {"latin-1 file", "na\xEFve caf\xE9\n", CodePage::Utf8, {"na\xC3\xAFve caf\xC3\xA9"}},
      {"latin-1 file, cp932 lists", "Gr\xFC\xDF", CodePage::Cp932, {"Gr??"}},
      {"windows-1252 quotes", "\x93q\x94 \x96 x", CodePage::Utf8, {"\xE2\x80\x9Cq\xE2\x80\x9D \xE2\x80\x93 x"}},
      {"half-width katakana cp932", "\xC3\xDD\xCC\xDF\xDA\xB0\xC4", CodePage::Utf8,
       {"ﾃﾝﾌﾟﾚｰﾄ"}},
      {"euc-jp file", "\xA4\xB3\xA4\xF3\xA4\xCB\xA4\xC1\xA4\xCF\xA1\xA2\xC0\xA4\xB3\xA6", CodePage::Utf8,
       {"こんにちは、世界"}},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(DecodeTextLines(c.bytes, c.cp), c.lines) << c.name;
  }
}

TEST(TextFileCodecTest, SplitsAtEveryLineEndAndSkipsEmptyLines) {
  const std::pair<std::string, Lines> cases[] = {
      {"", {}},
      {"\n\r\n\r", {}},
      {"a", {"a"}},
      {"a\nb\r\nc\rd", {"a", "b", "c", "d"}},
      {"a\n\nb\r\n\r\nc\r\r", {"a", "b", "c"}},
      {"a\r\n", {"a"}},
      {"a\n\rb", {"a", "b"}},
      {std::string("x\0y\n", 4), {std::string("x\0y", 3)}},
      {"a\nb\na", {"a", "b", "a"}},
  };
  for (const auto& [bytes, lines] : cases) {
    EXPECT_EQ(DecodeTextLines(bytes, CodePage::Utf8), lines) << testing::PrintToString(bytes);
  }
}

TEST(TextFileCodecTest, WritesEachItemAndANewlineAsTheBytesAre) {
  CClipList list;
  for (const char* text : {"a", "", "b\r\nc", "\x82\xA0"}) list.AddTail(text);
  fw::CMemoryStream sink;
  fw::CArchive out(sink, fw::CArchive::store);
  WriteTextLines(out, list);
  out.Close();
  EXPECT_EQ(sink.Written(), "a\n\nb\r\nc\n\x82\xA0\n");

  fw::CMemoryStream source(sink.Written());
  fw::CArchive in(source, fw::CArchive::load);
  EXPECT_EQ(ReadTextLines(in, CodePage::Cp932), (Lines{"a", "b", "c", "\x82\xA0"}));
}

}  // namespace
}  // namespace doc
