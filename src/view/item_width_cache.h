#pragma once

#include <map>
#include <memory>

#include "document/chunked_vector.h"
#include "document/clip_list.h"

namespace view {

// The measured display width of each item of a list, kept beside the list so that no
// item is measured twice while it stays unchanged, and counts that answer "how many
// wait to be measured" and "which is the widest" without looking at every item. It
// follows the list's changes as they happen: an inserted or replaced item waits to be
// measured, a removed one takes its width along.
class ItemWidthCache : public doc::CClipList::Observer {
 public:
  // The cache that every view of `list` shares, so that each item is measured once
  // whichever view measures it.
  static std::shared_ptr<ItemWidthCache> For(const doc::CClipList& list);

  // Follows `list`, with every item waiting to be measured.
  explicit ItemWidthCache(const doc::CClipList& list);

  // Brings the cache back in step with its list after a change it could not follow for
  // lack of memory: every item then waits again. Returns whether it had to.
  bool CatchUp();

  // -1 when the item has not been measured.
  int Get(int position) const { return m_widths[static_cast<std::size_t>(position)]; }
  // A width below 0 forgets the item's width.
  void Set(int position, int width);
  int UnmeasuredCount() const { return static_cast<int>(m_widths.size()) - m_nMeasured; }
  // 0 when nothing has been measured.
  int Widest() const { return m_widthCounts.empty() ? 0 : m_widthCounts.rbegin()->first; }

  void OnInserted(int position) noexcept override;
  void OnRemoved(int position) noexcept override;
  void OnReplaced(int position) noexcept override;
  void OnRemovedAll() noexcept override;

 private:
  void Forget(int position);
  void Clear();

  // Chunked like the list, so that a change anywhere in it costs one chunk here too.
  doc::ChunkedVector<int> m_widths;
  // Each measured width with how many items have it, for the widest one.
  std::map<int, int> m_widthCounts;
  int m_nMeasured = 0;
  int m_nRemovedWidth = -1;  // of the item removed last, for a move's insertion
  bool m_bOutOfStep = false;
};

}  // namespace view
