#include "document/clip_list.h"

#include <algorithm>
#include <cassert>
#include <functional>

#include "platform/alloc_fault.h"

namespace doc {

CClipList::TrackedPosition::TrackedPosition(const CClipList& list, int position)
    : m_pList(&list), m_nPosition(position) {
  m_pList->m_tracked.push_back(this);
}

CClipList::TrackedPosition::~TrackedPosition() {
  if (!m_pList) return;
  auto& tracked = m_pList->m_tracked;
  tracked.erase(std::remove(tracked.begin(), tracked.end(), this), tracked.end());
}

CClipList::~CClipList() {
  // A position may outlive its list (a dialog open while the document closes).
  for (TrackedPosition* t : m_tracked) t->m_pList = nullptr;
  for (Observer* o : m_observers) o->m_pList = nullptr;
}

CClipList::Observer::~Observer() { Observe(nullptr); }

void CClipList::Observer::Observe(const CClipList* list) {
  if (list == m_pList) return;
  if (m_pList) {
    auto& observers = m_pList->m_observers;
    observers.erase(std::remove(observers.begin(), observers.end(), this), observers.end());
  }
  if (list) list->m_observers.push_back(this);
  m_pList = list;
}

std::uint32_t CClipList::HashOf(std::string_view text) {
  return static_cast<std::uint32_t>(std::hash<std::string_view>{}(text));
}

void CClipList::SetAt(int position, std::string text) {
  assert(position >= 0 && position < GetCount());
  ++m_nVersion;
  m_hashes[static_cast<std::size_t>(position)] = HashOf(text);
  m_items[static_cast<std::size_t>(position)] = std::move(text);
  for (Observer* o : m_observers) o->OnReplaced(position);
}

void CClipList::AddHead(std::string text) { InsertBefore(0, std::move(text)); }

void CClipList::AddTail(std::string text) {
  ++m_nVersion;
  platform::CheckAllocation();
  m_hashes.push_back(HashOf(text));
  try {
    m_items.push_back(std::move(text));
  } catch (...) {
    m_hashes.erase(m_hashes.size() - 1);
    throw;
  }
  for (Observer* o : m_observers) o->OnInserted(GetCount() - 1);
}

void CClipList::InsertBefore(int position, std::string text) {
  // The position just past the end appends.
  assert(position >= 0 && position <= GetCount());
  ++m_nVersion;
  platform::CheckAllocation();
  m_hashes.insert(static_cast<std::size_t>(position), HashOf(text));
  try {
    m_items.insert(static_cast<std::size_t>(position), std::move(text));
  } catch (...) {
    m_hashes.erase(static_cast<std::size_t>(position));
    throw;
  }
  ShiftTracked(position, +1);
  for (Observer* o : m_observers) o->OnInserted(position);
}

void CClipList::RemoveAt(int position) {
  assert(position >= 0 && position < GetCount());
  ++m_nVersion;
  m_items.erase(static_cast<std::size_t>(position));
  m_hashes.erase(static_cast<std::size_t>(position));
  ForgetTracked(position);
  ShiftTracked(position + 1, -1);
  for (Observer* o : m_observers) o->OnRemoved(position);
}

void CClipList::RemoveAll() {
  ++m_nVersion;
  m_items.clear();
  m_hashes.clear();
  for (TrackedPosition* t : m_tracked) t->m_nPosition = -1;
  for (Observer* o : m_observers) o->OnRemovedAll();
}

int CClipList::Find(std::string_view text) const {
  const std::uint32_t hash = HashOf(text);
  for (std::size_t k = 0; k < m_hashes.ChunkCount(); ++k) {
    const std::span<const std::uint32_t> hashes = m_hashes.Chunk(k);
    std::size_t i = 0;
    while (i < hashes.size()) {
      // Sixteen hashes compared without a branch each: the compiler does them at once.
      if (i + 16 <= hashes.size()) {
        bool any = false;
        for (std::size_t j = 0; j < 16; ++j) any |= hashes[i + j] == hash;
        if (!any) {
          i += 16;
          continue;
        }
      }
      const std::size_t end = std::min(i + 16, hashes.size());
      for (; i < end; ++i) {
        if (hashes[i] != hash) continue;
        const std::size_t position = m_hashes.ChunkStart(k) + i;
        if (m_items[position] == text) return static_cast<int>(position);
      }
    }
  }
  return -1;
}

void CClipList::ShiftTracked(int from, int delta) {
  for (TrackedPosition* t : m_tracked) {
    if (t->m_nPosition >= from) t->m_nPosition += delta;
  }
}

void CClipList::ForgetTracked(int position) {
  for (TrackedPosition* t : m_tracked) {
    if (t->m_nPosition == position) t->m_nPosition = -1;
  }
}

}  // namespace doc
