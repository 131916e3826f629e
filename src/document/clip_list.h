#pragma once

#include <cassert>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "document/chunked_vector.h"

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
  const std::string& GetAt(int position) const {
    assert(position >= 0 && position < GetCount());
    return m_items[static_cast<std::size_t>(position)];
  }
  // Replaces the text of an item in place.
  void SetAt(int position, std::string text);

  void AddHead(std::string text);
  void AddTail(std::string text);
  // The text is placed in front of the item at `position` and takes that position.
  void InsertBefore(int position, std::string text);
  void RemoveAt(int position);
  void RemoveAll();
  // Moves the item at `position` to the head: told to observers as its removal and then
  // its insertion at the head, during which MovedFrom() says where it came from.
  void MoveToHead(int position);
  // While observers hear of a move's insertion, where the item was; -1 otherwise.
  int MovedFrom() const { return m_nMovedFrom; }

  // Changes with every insertion, removal or replacement: equal numbers mean the same
  // items in the same places.
  unsigned GetVersion() const { return m_nVersion; }

  // Position of the first item equal to `text` (byte for byte), or -1.
  int Find(std::string_view text) const;

  // Something kept beside the list per item (a view's measured widths) that must follow
  // every change as it happens, at the cost of the changed items only. An observer may
  // outlive its list: it is then told nothing more and ObservedList() is null.
  class Observer {
   public:
    Observer() = default;
    virtual ~Observer();
    Observer(const Observer&) = delete;
    Observer& operator=(const Observer&) = delete;
    // Starts following `list` (null: none); the changes before this call are not told.
    void Observe(const CClipList* list);
    const CClipList* ObservedList() const { return m_pList; }

    // Called after the change, with the list as it now is. Must not throw.
    virtual void OnInserted(int position) noexcept = 0;
    virtual void OnRemoved(int position) noexcept = 0;
    virtual void OnReplaced(int position) noexcept = 0;
    virtual void OnRemovedAll() noexcept = 0;

   private:
    friend class CClipList;
    const CClipList* m_pList = nullptr;
  };

 private:
  static std::uint16_t HashOf(std::string_view text);
  void ShiftTracked(int from, int delta);
  void ForgetTracked(int position);

  // Chunked: a capture into a list of a million items loaded from a file takes out an
  // item anywhere in it, at the cost of one chunk.
  ChunkedVector<std::string> m_items;
  // A hash of each item's text, in the items' order: a search goes through these two
  // bytes an item, a chunk of contiguous memory at a time, and reads a text only where
  // its hash matches. A search through a million items reads 2 MB of hashes and about
  // 15 texts whose hashes match by chance; wider hashes would read more memory than
  // the few texts they spare. Long chunks (32 KB), read faster from memory than short
  // ones (about 0.2 against 0.6 ms for a million hashes not in the cache), and moving
  // two-byte hashes within one costs a few microseconds.
  ChunkedVector<std::uint16_t, 16384> m_hashes;
  unsigned m_nVersion = 0;
  int m_nMovedFrom = -1;
  // Bookkeeping of who follows the list, not part of its content.
  mutable std::vector<TrackedPosition*> m_tracked;
  mutable std::vector<Observer*> m_observers;
};

}  // namespace doc
