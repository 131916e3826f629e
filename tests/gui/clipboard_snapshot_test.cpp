#include "platform/clipboard_snapshot.h"

#include <gtest/gtest.h>
#include <malloc.h>

#include <string>

namespace platform {
namespace {

// Restores the process-wide code page that a case changes.
struct CodePageGuard {
  CodePage saved = SystemCodePage();
  ~CodePageGuard() { SetSystemCodePage(saved); }
};

// What the ports answer from their last result: the copies made off the window's thread
// are used only when they match the text, once, and a change of the code page setting
// since the read converts the text (and makes the copies useless).
TEST(ClipboardSnapshotTest, ReadTextAndSpareCopyFollowTheStoredText) {
  const CodePageGuard guard;
  SetSystemCodePage(CodePage::Utf8);
  const std::string kanji = "\xE6\xBC\xA2";  // 漢 in UTF-8
  const std::string kanjiCp932 = "\x8A\xBF";

  ClipboardSnapshot snapshot;
  std::string text;
  EXPECT_EQ(snapshot.ReadText(text), ClipboardStatus::NoText);

  snapshot.Store(ClipboardStatus::Ok, "abc", CodePage::Utf8, true, true);
  snapshot.KeepCopies("abc", "abc");
  EXPECT_TRUE(snapshot.TakeSpareCopy(text));
  EXPECT_EQ(text, "abc");
  EXPECT_FALSE(snapshot.TakeSpareCopy(text)) << "a spare copy is given once";
  for (int read = 0; read < 2; ++read) {
    text.clear();
    EXPECT_EQ(snapshot.ReadText(text), ClipboardStatus::Ok);
    EXPECT_EQ(text, "abc") << "read " << read;
  }

  // A copy of another size belongs to another text.
  snapshot.Store(ClipboardStatus::Ok, "abcd", CodePage::Utf8, true, true);
  snapshot.KeepCopies("xy", "xy");
  EXPECT_FALSE(snapshot.TakeSpareCopy(text));
  EXPECT_EQ(snapshot.ReadText(text), ClipboardStatus::Ok);
  EXPECT_EQ(text, "abcd");

  // Read under UTF-8, asked for after the setting became CP932.
  snapshot.Store(ClipboardStatus::Ok, kanji, CodePage::Utf8, true, true);
  snapshot.KeepCopies(kanji, kanji);
  SetSystemCodePage(CodePage::Cp932);
  EXPECT_FALSE(snapshot.TakeSpareCopy(text));
  EXPECT_EQ(snapshot.ReadText(text), ClipboardStatus::Ok);
  EXPECT_EQ(text, kanjiCp932);

  // A failed read answers its status; a new result drops the old copies.
  snapshot.Store(ClipboardStatus::NoMemory, {}, CodePage::Cp932, true, false);
  EXPECT_EQ(snapshot.ReadText(text), ClipboardStatus::NoMemory);
  EXPECT_TRUE(snapshot.HasText());
  EXPECT_FALSE(snapshot.HasAnyFormat());
}

// A short text stored after a large one lets go of the large one's memory and of its
// copies (large blocks live in their own mappings, which malloc counts apart).
TEST(ClipboardSnapshotTest, AShortTextReleasesTheLargeOnesMemory) {
  const auto mapped = [] { return mallinfo2().hblkhd; };
  const std::size_t before = mapped();
  {
    ClipboardSnapshot snapshot;
    const std::string large(8 << 20, 'x');
    snapshot.Store(ClipboardStatus::Ok, large, CodePage::Utf8, true, true);
    snapshot.KeepCopies(large, large);
    snapshot.Store(ClipboardStatus::Ok, "short", CodePage::Utf8, true, true);
    EXPECT_LT(mapped(), before + (9 << 20)) << "only the test's own text is left";
  }
}

}  // namespace
}  // namespace platform
