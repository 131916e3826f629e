#include <gtest/gtest.h>

#include "platform/selection_text.h"

namespace {

using platform::CodePage;
using platform::SelectionEncoding;

TEST(SelectionTextTest, DecodesCutsAtFirstZeroAndConverts) {
  struct Case {
    const char* name;
    std::string bytes;
    SelectionEncoding encoding;
    CodePage cp;
    std::string expected;
  };
  const Case cases[] = {
      {"utf8 as is", "一行\r\n二行", SelectionEncoding::Utf8, CodePage::Utf8, "一行\r\n二行"},
      {"cut at zero", std::string("ab\0cd", 5), SelectionEncoding::Utf8, CodePage::Utf8, "ab"},
      {"zero first", std::string("\0x", 2), SelectionEncoding::Utf8, CodePage::Utf8, ""},
      {"latin1 to utf8", "caf\xE9 \xA9", SelectionEncoding::Latin1, CodePage::Utf8,
       "caf\xC3\xA9 \xC2\xA9"},
      {"latin1 to cp932", "a\xE9", SelectionEncoding::Latin1, CodePage::Cp932, "a?"},
      {"utf8 to cp932", "ｸ日😀", SelectionEncoding::Utf8, CodePage::Cp932, "\xB8\x93\xFA?"},
      {"invalid utf8", "a\xFF" "b", SelectionEncoding::Utf8, CodePage::Utf8, "a?b"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(platform::SelectionTextToItem(c.bytes, c.encoding, c.cp), c.expected) << c.name;
  }
}

TEST(SelectionTextTest, OnlyTheWordSecretMarksASecret) {
  const std::pair<const char*, bool> cases[] = {
      {"secret", true}, {" secret\n", true}, {"Secret", false},
      {"", false},      {"secrets", false},  {"not secret", false},
  };
  for (const auto& [value, expected] : cases) {
    EXPECT_EQ(platform::IsSecretHintValue(value), expected) << '"' << value << '"';
  }
}

}  // namespace
