#include "document/clip_list.h"

#include "document/chunked_vector.h"
#include "support/list_texts.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <string>
#include <vector>

namespace doc {
namespace {

using testing_support::ListTexts;
using testing_support::Texts;

void Fill(CClipList& list, const Texts& texts) {
  for (const std::string& text : texts) list.AddTail(text);
}

TEST(ClipListTest, AddsAtBothEndsAndInsertsBeforeAPosition) {
  CClipList list;
  EXPECT_TRUE(list.IsEmpty());
  list.AddTail("b");
  list.AddHead("a");
  list.AddTail("d");
  list.InsertBefore(2, "c");
  list.InsertBefore(0, "head");
  EXPECT_EQ(ListTexts(list), (Texts{"head", "a", "b", "c", "d"}));
  EXPECT_EQ(list.GetCount(), 5);
  EXPECT_FALSE(list.IsEmpty());
}

TEST(ClipListTest, RemovesAtHeadMiddleAndTail) {
  CClipList list;
  Fill(list, {"0", "1", "2", "3", "4"});
  list.RemoveAt(0);
  EXPECT_EQ(ListTexts(list), (Texts{"1", "2", "3", "4"}));
  list.RemoveAt(3);
  EXPECT_EQ(ListTexts(list), (Texts{"1", "2", "3"}));
  list.RemoveAt(1);
  EXPECT_EQ(ListTexts(list), (Texts{"1", "3"}));
  list.RemoveAll();
  EXPECT_TRUE(list.IsEmpty());
  EXPECT_EQ(list.Find("1"), -1);
}

TEST(ClipListTest, FindReturnsTheFirstEqualItemOnly) {
  CClipList list;
  Fill(list, {"a", "b", "a", "b"});
  EXPECT_EQ(list.Find("a"), 0);
  EXPECT_EQ(list.Find("b"), 1);
  EXPECT_EQ(list.Find("c"), -1);
  list.RemoveAt(list.Find("a"));
  EXPECT_EQ(list.Find("a"), 1);
}

struct EqualityCase {
  const char* name;
  std::string item;
  std::string text;
  bool equal;
};

void PrintTo(const EqualityCase& c, std::ostream* os) { *os << c.name; }

class ClipListEqualityTest : public testing::TestWithParam<EqualityCase> {};

// Equal means the same bytes: no case folding, no line-end or blank normalisation, no
// prefix matches.
TEST_P(ClipListEqualityTest, ComparesBytes) {
  const EqualityCase& c = GetParam();
  CClipList list;
  Fill(list, {"other", c.item});
  EXPECT_EQ(list.Find(c.text), c.equal ? 1 : -1);
}

INSTANTIATE_TEST_SUITE_P(
    All, ClipListEqualityTest,
    testing::Values(
        EqualityCase{"Same", "x\r\ny\tz", "x\r\ny\tz", true},
        EqualityCase{"CrLfAgainstLf", "x\r\ny", "x\ny", false},
        EqualityCase{"LfAgainstCr", "x\ny", "x\ry", false},
        EqualityCase{"TrailingLineEnd", "x", "x\n", false},
        EqualityCase{"Prefix", "abc", "ab", false},
        EqualityCase{"Longer", "ab", "abc", false},
        EqualityCase{"Case", "Abc", "abc", false},
        EqualityCase{"TrailingBlank", "abc ", "abc", false},
        EqualityCase{"HalfAndFullWidthKana", "ｶﾅ", "カナ", false},
        EqualityCase{"SameJapanese", "ｸﾘｯﾌﾟﾎﾞｰﾄﾞ\r\n項目", "ｸﾘｯﾌﾟﾎﾞｰﾄﾞ\r\n項目", true},
        EqualityCase{"EmptyAgainstEmpty", "", "", true},
        EqualityCase{"EmptyAgainstText", "", "a", false}),
    [](const testing::TestParamInfo<EqualityCase>& info) { return info.param.name; });

// A tracked position follows its item, not its number.
TEST(ClipListTrackedPositionTest, FollowsInsertionsAndRemovals) {
  CClipList list;
  Fill(list, {"a", "b", "c", "d"});
  CClipList::TrackedPosition tracked(list, 2);  // "c"

  list.AddHead("h");
  EXPECT_EQ(tracked.Get(), 3);
  list.InsertBefore(3, "before c");
  EXPECT_EQ(tracked.Get(), 4);
  list.InsertBefore(5, "after c");
  list.AddTail("tail");
  EXPECT_EQ(tracked.Get(), 4);
  list.RemoveAt(0);
  list.RemoveAt(1);
  EXPECT_EQ(tracked.Get(), 2);
  list.RemoveAt(3);
  EXPECT_EQ(tracked.Get(), 2);
  EXPECT_EQ(list.GetAt(tracked.Get()), "c");
}

TEST(ClipListTrackedPositionTest, BecomesMinusOneWhenItsItemGoes) {
  CClipList list;
  Fill(list, {"a", "b", "c"});
  CClipList::TrackedPosition removed(list, 1);
  CClipList::TrackedPosition after(list, 2);
  list.RemoveAt(1);
  EXPECT_EQ(removed.Get(), -1);
  EXPECT_EQ(after.Get(), 1);

  // Once gone it stays gone, whatever happens to the list.
  list.AddHead("new");
  list.InsertBefore(0, "newer");
  EXPECT_EQ(removed.Get(), -1);
  EXPECT_EQ(after.Get(), 3);

  list.RemoveAll();
  EXPECT_EQ(after.Get(), -1);
  list.AddTail("x");
  EXPECT_EQ(after.Get(), -1);
}

TEST(ClipListTrackedPositionTest, EndedTrackerIsForgotten) {
  CClipList list;
  Fill(list, {"a", "b"});
  {
    CClipList::TrackedPosition first(list, 0);
    CClipList::TrackedPosition second(list, 1);
  }
  CClipList::TrackedPosition kept(list, 1);
  list.AddHead("c");
  list.RemoveAt(0);
  list.RemoveAll();
  EXPECT_EQ(kept.Get(), -1);
}

// A search must find what a plain scan finds through any mix of changes.
TEST(ClipListTest, SearchAgreesWithAPlainScanThroughAnyChanges) {
  std::mt19937 random(7);
  const auto pick = [&random](int n) {
    return static_cast<int>(random() % static_cast<unsigned>(n));
  };
  CClipList list;
  for (int step = 0; step < 5000; ++step) {
    const std::string text = "t" + std::to_string(pick(40));
    const int count = list.GetCount();
    switch (pick(count == 0 ? 2 : 6)) {
      case 0: list.AddHead(text); break;
      case 1: list.AddTail(text); break;
      case 2: list.InsertBefore(pick(count), text); break;
      case 3: list.SetAt(pick(count), text); break;
      case 4: list.RemoveAt(pick(count)); break;
      default: if (pick(50) == 0) list.RemoveAll(); break;
    }
    const Texts texts = ListTexts(list);
    const auto found = std::find(texts.begin(), texts.end(), text);
    const int expected = found == texts.end() ? -1 : static_cast<int>(found - texts.begin());
    ASSERT_EQ(list.Find(text), expected) << "step " << step;
  }
}

// Small chunks, so that splits and emptied chunks happen within a few steps.
TEST(ChunkedVectorTest, AgreesWithAPlainArrayThroughAnyChanges) {
  std::mt19937 random(11);
  const auto pick = [&random](std::size_t n) { return random() % n; };
  ChunkedVector<int, 4> chunked;
  std::vector<int> plain;
  for (int step = 0; step < 5000; ++step) {
    const std::size_t size = plain.size();
    switch (pick(size == 0 ? 2 : 5)) {
      case 0: chunked.insert(0, step); plain.insert(plain.begin(), step); break;
      case 1: chunked.push_back(step); plain.push_back(step); break;
      case 2: {
        const std::size_t at = pick(size + 1);
        chunked.insert(at, step);
        plain.insert(plain.begin() + static_cast<std::ptrdiff_t>(at), step);
        break;
      }
      case 3: {
        const std::size_t at = pick(size);
        chunked.erase(at);
        plain.erase(plain.begin() + static_cast<std::ptrdiff_t>(at));
        break;
      }
      default: if (pick(200) == 0) { chunked.assign(9, -1); plain.assign(9, -1); } break;
    }
    ASSERT_EQ(chunked.size(), plain.size()) << "step " << step;
    std::vector<int> walked;
    for (std::size_t k = 0; k < chunked.ChunkCount(); ++k) {
      ASSERT_EQ(chunked.ChunkStart(k), walked.size());
      for (int value : chunked.Chunk(k)) walked.push_back(value);
    }
    ASSERT_EQ(walked, plain) << "step " << step;
    if (!plain.empty()) {
      const std::size_t at = pick(plain.size());
      ASSERT_EQ(chunked[at], plain[at]);
    }
  }
}

}  // namespace
}  // namespace doc
