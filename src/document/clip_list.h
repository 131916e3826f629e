#pragma once

#include <cstddef>
#include <cstdint>
#include <deque>
#include <map>
#include <string>
#include <string_view>
#include <vector>

namespace doc {

// The ordered list of a clip list document: position 0 is the head (the newest capture).
// Items are byte strings in the system code page. Positions are 0-based; every operation
// that takes a position expects it to be valid (the callers check against GetCount()).
class CClipList {
 public:
  // A position that follows the list's changes: it moves with insertions and removals
  // in front of it and becomes -1 when its own item is removed.
  class TrackedPosition {
   public:
    TrackedPosition(const CClipList& list, int position);
    ~TrackedPosition();
    TrackedPosition(const TrackedPosition&) = delete;
    TrackedPosition& operator=(const TrackedPosition&) = delete;
    // -1 when the item is gone, or the whole list with it.
    int Get() const { return m_pList ? m_nPosition : -1; }

   private:
    friend class CClipList;
    const CClipList* m_pList;
    int m_nPosition;
  };

  CClipList() = default;
  ~CClipList();
  CClipList(const CClipList&) = delete;
  CClipList& operator=(const CClipList&) = delete;

  int GetCount() const { return static_cast<int>(m_items.size()); }
  bool IsEmpty() const { return m_items.empty(); }
  const std::string& GetAt(int position) const { return m_items[position].text; }
  // Replaces the text of an item in place.
  void SetAt(int position, std::string text);

  void AddHead(std::string text);
  void AddTail(std::string text);
  // The text is placed in front of the item at `position` and takes that position.
  void InsertBefore(int position, std::string text);
  void RemoveAt(int position);
  void RemoveAll();

  // Changes with every insertion, removal or replacement: equal numbers mean the same
  // items in the same places.
  unsigned GetVersion() const { return m_nVersion; }

  // Position of the first item equal to `text` (byte for byte), or -1.
  int Find(std::string_view text) const;

  // A measured display width per item, kept by the list so that a view never has to
  // measure an unchanged item twice. -1 means not measured yet.
  int GetCachedWidth(int position) const { return m_items[position].width; }
  void SetCachedWidth(int position, int width) const;
  // How many items have no measured width, and the widest measured one (0 when none):
  // kept up to date with every change, so that a view need not look at every item.
  int GetUnmeasuredCount() const { return GetCount() - m_nMeasured; }
  int GetWidestCachedWidth() const;

 private:
  struct Entry {
    std::string text;
    mutable int width = -1;
  };

  static std::uint32_t HashOf(std::string_view text);
  // Takes the entry's width out of the bookkeeping, before it is removed or replaced.
  void ForgetWidth(const Entry& entry) const;
  void ShiftTracked(int from, int delta);
  void ForgetTracked(int position);

  std::deque<Entry> m_items;
  // A hash of each item's text, in the items' order: a search goes through these few
  // bytes an item and reads a text only where its hash matches.
  std::deque<std::uint32_t> m_hashes;
  unsigned m_nVersion = 0;
  // The measured widths and how many items have each, for the widest one.
  mutable std::map<int, int> m_widthCounts;
  mutable int m_nMeasured = 0;
  // Bookkeeping of who follows the list, not part of its content.
  mutable std::vector<TrackedPosition*> m_tracked;
};

}  // namespace doc
