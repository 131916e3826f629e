#include "view/item_width_cache.h"

#include <algorithm>
#include <vector>

namespace view {

std::shared_ptr<ItemWidthCache> ItemWidthCache::For(const doc::CClipList& list) {
  // Views live on the GUI thread only.
  static std::vector<std::weak_ptr<ItemWidthCache>> caches;
  std::erase_if(caches, [](const auto& cache) { return cache.expired(); });
  for (const auto& weak : caches) {
    std::shared_ptr<ItemWidthCache> cache = weak.lock();
    // A list made where a closed one was is another list: its old cache followed no change.
    if (cache && cache->ObservedList() == &list) return cache;
  }
  auto cache = std::make_shared<ItemWidthCache>(list);
  caches.push_back(cache);
  return cache;
}

ItemWidthCache::ItemWidthCache(const doc::CClipList& list)
{
  m_widths.assign(static_cast<std::size_t>(list.GetCount()), -1);
  Observe(&list);
}

bool ItemWidthCache::CatchUp() {
  if (!m_bOutOfStep) return false;
  Clear();
  m_widths.assign(static_cast<std::size_t>(ObservedList() ? ObservedList()->GetCount() : 0), -1);
  m_bOutOfStep = false;
  return true;
}

void ItemWidthCache::Set(int position, int width) {
  Forget(position);
  if (width < 0) return;
  ++m_widthCounts[width];  // first: when this fails for memory, nothing has changed
  m_widths[static_cast<std::size_t>(position)] = width;
  ++m_nMeasured;
}

void ItemWidthCache::Forget(int position) {
  int& width = m_widths[static_cast<std::size_t>(position)];
  if (width < 0) return;
  const auto count = m_widthCounts.find(width);
  if (count != m_widthCounts.end() && --count->second == 0) m_widthCounts.erase(count);
  --m_nMeasured;
  width = -1;
}

void ItemWidthCache::Clear() {
  m_widths.clear();
  m_widthCounts.clear();
  m_nMeasured = 0;
}

void ItemWidthCache::OnInserted(int position) noexcept {
  if (m_bOutOfStep) return;
  try {
    m_widths.insert(static_cast<std::size_t>(position), -1);
  } catch (...) {
    // The next refill starts over with every item unmeasured.
    Clear();
    m_bOutOfStep = true;
    return;
  }
  // An item moved to the head (a capture of a listed text) keeps its width: measuring it
  // again costs more than the rest of the capture. Without the memory it is measured.
  if (ObservedList()->MovedFrom() >= 0 && m_nRemovedWidth >= 0) {
    try {
      Set(position, m_nRemovedWidth);
    } catch (...) {
    }
  }
}

void ItemWidthCache::OnRemoved(int position) noexcept {
  if (m_bOutOfStep) return;
  m_nRemovedWidth = Get(position);
  Forget(position);
  m_widths.erase(static_cast<std::size_t>(position));
}

void ItemWidthCache::OnReplaced(int position) noexcept {
  if (!m_bOutOfStep) Forget(position);
}

void ItemWidthCache::OnRemovedAll() noexcept {
  Clear();
  m_bOutOfStep = false;
}

}  // namespace view
