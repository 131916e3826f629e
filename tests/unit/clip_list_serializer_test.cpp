#include "document/clip_list_serializer.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "framework/file_exception.h"

namespace doc {
namespace {

using Texts = std::vector<std::string>;
using platform::CodePage;

std::string Bytes(std::initializer_list<int> values) {
  std::string out;
  for (int v : values) out.push_back(static_cast<char>(v));
  return out;
}

std::string Write(const Texts& texts) {
  CClipList list;
  for (const std::string& t : texts) list.AddTail(t);
  fw::CMemoryStream sink;
  fw::CArchive ar(sink, fw::CArchive::store);
  WriteClipList(ar, list);
  ar.Close();
  return sink.Written();
}

Texts Read(const std::string& bytes, CodePage cp = CodePage::Utf8) {
  fw::CMemoryStream source(bytes);
  fw::CArchive ar(source, fw::CArchive::load);
  CClipList list;
  ReadClipList(ar, list, cp);
  Texts texts;
  for (int i = 0; i < list.GetCount(); ++i) texts.push_back(list.GetAt(i));
  return texts;
}

// The stored form of one item of `length` bytes, for comparing prefixes.
std::string Prefix(std::size_t length) {
  const std::string file = Write({std::string(length, 'x')});
  return file.substr(2, file.size() - 2 - length);
}

bool RefusedAsBadFormat(const std::string& bytes) {
  try {
    Read(bytes);
  } catch (const fw::CArchiveException& e) {
    return e.m_cause == fw::ArchiveCause::endOfFile;
  }
  return false;
}

TEST(ClipListSerializerTest, ListsRoundTripInTheStoredForm) {
  struct Case {
    Texts texts;
    std::string bytes;
  };
  const Case cases[] = {
      {{}, Bytes({0x00, 0x00})},
      {{"abc", "de"}, Bytes({0x02, 0x00, 0x03, 'a', 'b', 'c', 0x02, 'd', 'e'})},
      {{"a", "a", ""}, Bytes({0x03, 0x00, 0x01, 'a', 0x01, 'a', 0x00})},
      {{std::string("a\0b\r\n", 5)}, Bytes({0x01, 0x00, 0x05, 'a', 0x00, 'b', '\r', '\n'})},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(Write(c.texts), c.bytes);
    EXPECT_EQ(Read(c.bytes), c.texts);
    EXPECT_EQ(Read(c.bytes + "trailing bytes"), c.texts);
  }
}

TEST(ClipListSerializerTest, LengthPrefixesTakeTheShortestFormAtEachBoundary) {
  const std::pair<std::size_t, std::string> cases[] = {
      {0, Bytes({0x00})},
      {254, Bytes({0xFE})},
      {255, Bytes({0xFF, 0xFF, 0x00})},
      {65533, Bytes({0xFF, 0xFD, 0xFF})},
      {65534, Bytes({0xFF, 0xFF, 0xFF, 0xFE, 0xFF, 0x00, 0x00})},
      {65535, Bytes({0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0x00, 0x00})},
  };
  for (const auto& [length, prefix] : cases) {
    EXPECT_EQ(Prefix(length), prefix) << length;
    const Texts texts{std::string(length, 'q'), "z"};
    EXPECT_EQ(Read(Write(texts)), texts) << length;
  }
}

TEST(ClipListSerializerTest, CountsTakeTheLongFormFrom65535) {
  const std::pair<std::size_t, std::string> cases[] = {
      {65534, Bytes({0xFE, 0xFF})},
      {65535, Bytes({0xFF, 0xFF, 0xFF, 0xFF, 0x00, 0x00})},
      {70000, Bytes({0xFF, 0xFF, 0x70, 0x11, 0x01, 0x00})},
  };
  for (const auto& [count, head] : cases) {
    const Texts texts(count, "i");
    const std::string bytes = Write(texts);
    EXPECT_EQ(bytes.substr(0, head.size()), head) << count;
    EXPECT_EQ(Read(bytes), texts) << count;
  }
}

TEST(ClipListSerializerTest, LongerPrefixFormsAreReadToo) {
  EXPECT_EQ(Read(Bytes({0x01, 0x00, 0xFF, 0x02, 0x00, 'h', 'i'})), Texts{"hi"});
  EXPECT_EQ(Read(Bytes({0x01, 0x00, 0xFF, 0xFF, 0xFF, 0x02, 0x00, 0x00, 0x00, 'h', 'i'})),
            Texts{"hi"});
  EXPECT_EQ(Read(Bytes({0xFF, 0xFF, 0x01, 0x00, 0x00, 0x00, 0x01, 'x'})), Texts{"x"});
}

TEST(ClipListSerializerTest, WideItemsAreConvertedToTheCodePage) {
  struct Case {
    std::string item;
    CodePage cp;
    std::string expected;
  };
  const std::string wideHead = Bytes({0x01, 0x00, 0xFF, 0xFE, 0xFF});
  const Case cases[] = {
      {Bytes({0x02, 'a', 0, 'b', 0}), CodePage::Utf8, "ab"},
      {Bytes({0x00}), CodePage::Utf8, ""},
      // U+3042 HIRAGANA A in both code pages
      {Bytes({0x01, 0x42, 0x30}), CodePage::Utf8, "\xE3\x81\x82"},
      {Bytes({0x01, 0x42, 0x30}), CodePage::Cp932, "\x82\xA0"},
      // U+00E9 has no counterpart in CP932
      {Bytes({0x02, 0xE9, 0x00, 'x', 0x00}), CodePage::Cp932, "?x"},
      // The item ends at the first zero character.
      {Bytes({0x03, 'a', 0, 0, 0, 'b', 0}), CodePage::Utf8, "a"},
      // A length in the 2-byte form.
      {Bytes({0xFF, 0x01, 0x00, 'z', 0}), CodePage::Utf8, "z"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(Read(wideHead + c.item, c.cp), Texts{c.expected});
  }
  // Saved again, the item takes the 8-bit form.
  EXPECT_EQ(Write(Read(wideHead + Bytes({0x02, 'a', 0, 'b', 0}))), Bytes({0x01, 0x00, 0x02, 'a', 'b'}));
}

TEST(ClipListSerializerTest, EveryTruncationOfAValidFileIsRefused) {
  const std::string file = Write({"short", std::string(300, 's'), std::string(70000, 'l'), ""});
  const std::string wide = Bytes({0x02, 0x00, 0x01, 'a', 0xFF, 0xFE, 0xFF, 0x02, 'a', 0, 'b', 0});
  for (const std::string& whole : {file, wide}) {
    for (std::size_t size = 0; size < whole.size(); ++size) {
      ASSERT_TRUE(RefusedAsBadFormat(whole.substr(0, size))) << size << " of " << whole.size();
    }
  }
}

// Each of these would ask for far more memory than the file holds; the reader must refuse
// before allocating (a 4 GiB allocation would fail or take seconds, and ASan reports it).
TEST(ClipListSerializerTest, ImpossibleCountsAndLengthsAreRefusedBeforeAllocating) {
  const std::string cases[] = {
      Bytes({0x03, 0x00, 0x01, 'a', 0x01, 'b'}),                          // count 3, two items
      Bytes({0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0x00}),                  // count 2^32-1
      Bytes({0x01, 0x00, 0x05, 'a', 'b'}),                                // text shorter than its length
      Bytes({0x01, 0x00, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 'x'}),  // 4 GiB - 1
      Bytes({0x01, 0x00, 0xFF, 0xFF, 0xFF, 0x00, 0x00, 0x00, 0x80, 'x'}),  // 2^31
      Bytes({0x01, 0x00, 0xFF, 0xFF, 0xFF, 0xF0, 0xFF, 0xFF, 0x7F, 'x'}),  // 2^31 - 16, too long
      Bytes({0x01, 0x00, 0xFF, 0xFE, 0xFF, 0xFF, 0xFE, 0xFF, 0x01, 'a', 0}),  // second marker
      Bytes({0x01, 0x00, 0xFF, 0xFE, 0xFF, 0xFF, 0xFF, 0xFF, 0x00, 0x00, 0x00, 0x40, 'a', 0}),  // wide 2^30
      Bytes({0x01, 0x00, 0xFF, 0xFE, 0xFF, 0x03, 'a', 0, 'b', 0}),         // wide text too short
  };
  for (const std::string& bytes : cases) {
    EXPECT_TRUE(RefusedAsBadFormat(bytes)) << testing::PrintToString(bytes);
  }
}

}  // namespace
}  // namespace doc
