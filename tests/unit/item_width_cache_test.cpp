#include "view/item_width_cache.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <random>
#include <string>

namespace view {
namespace {

using doc::CClipList;

TEST(ItemWidthCacheTest, WidthStaysWithItsItemUntilTheTextChanges) {
  CClipList list;
  list.AddTail("a");
  list.AddTail("b");
  ItemWidthCache widths(list);
  EXPECT_EQ(widths.Get(0), -1);
  widths.Set(0, 40);
  widths.Set(1, 50);

  list.AddHead("new");
  EXPECT_EQ(widths.Get(0), -1);
  EXPECT_EQ(widths.Get(1), 40);
  EXPECT_EQ(widths.Get(2), 50);
  list.InsertBefore(2, "mid");
  EXPECT_EQ(widths.Get(2), -1);
  EXPECT_EQ(widths.Get(3), 50);
  list.RemoveAt(1);
  EXPECT_EQ(widths.Get(2), 50);

  // A capture of a listed text moves it to the head with its width.
  list.MoveToHead(2);
  EXPECT_EQ(widths.Get(0), 50);
  EXPECT_EQ(list.MovedFrom(), -1);
  list.RemoveAt(0);
  list.AddHead("b");
  EXPECT_EQ(widths.Get(0), -1);
  list.SetAt(2, "changed");
  EXPECT_EQ(widths.Get(2), -1);
  list.AddTail("tail");
  EXPECT_EQ(widths.Get(3), -1);
}

// The counts a view reads instead of every line must agree with the lines themselves
// through any mix of changes.
TEST(ItemWidthCacheTest, CountsAgreeWithAPlainScanThroughAnyChanges) {
  std::mt19937 random(7);
  const auto pick = [&random](int n) {
    return static_cast<int>(random() % static_cast<unsigned>(n));
  };
  CClipList list;
  ItemWidthCache widths(list);
  for (int step = 0; step < 5000; ++step) {
    const std::string text = "t" + std::to_string(pick(40));
    const int count = list.GetCount();
    switch (pick(count == 0 ? 2 : 9)) {
      case 0: list.AddHead(text); break;
      case 1: list.AddTail(text); break;
      case 2: list.InsertBefore(pick(count), text); break;
      case 3: list.SetAt(pick(count), text); break;
      case 4: list.RemoveAt(pick(count)); break;
      case 5: if (pick(50) == 0) list.RemoveAll(); break;
      case 6: list.MoveToHead(pick(count)); break;
      default: widths.Set(pick(count), pick(6) == 0 ? -1 : 10 * pick(30)); break;
    }
    int unmeasured = 0, widest = 0;
    for (int i = 0; i < list.GetCount(); ++i) {
      const int width = widths.Get(i);
      if (width < 0) ++unmeasured;
      widest = std::max(widest, width);
    }
    ASSERT_EQ(widths.UnmeasuredCount(), unmeasured) << "step " << step;
    ASSERT_EQ(widths.Widest(), widest) << "step " << step;
  }
}

// The views of one list share its widths; a cache may outlive its list.
TEST(ItemWidthCacheTest, ViewsOfOneListShareOneCache) {
  auto list = std::make_unique<CClipList>();
  list->AddTail("a");
  const std::shared_ptr<ItemWidthCache> first = ItemWidthCache::For(*list);
  first->Set(0, 30);
  EXPECT_EQ(ItemWidthCache::For(*list), first);
  CClipList other;
  EXPECT_NE(ItemWidthCache::For(other), first);

  list.reset();
  EXPECT_EQ(first->ObservedList(), nullptr);
}

}  // namespace
}  // namespace view
