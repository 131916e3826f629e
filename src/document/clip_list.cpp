#include "document/clip_list.h"

#include <algorithm>
#include <cassert>
#include <cstring>
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

std::uint16_t CClipList::HashOf(std::string_view text) {
  const std::size_t hash = std::hash<std::string_view>{}(text);
  return static_cast<std::uint16_t>(hash ^ (hash >> 16) ^ (hash >> 32) ^ (hash >> 48));
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

void CClipList::MoveToHead(int position) {
  assert(position >= 0 && position < GetCount());
  std::string text = std::move(m_items[static_cast<std::size_t>(position)]);
  RemoveAt(position);
  m_nMovedFrom = position;
  const struct Moved {
    int& from;
    ~Moved() { from = -1; }
  } moved{m_nMovedFrom};
  InsertBefore(0, std::move(text));
}

void CClipList::RemoveAll() {
  ++m_nVersion;
  m_items.clear();
  m_hashes.clear();
  for (TrackedPosition* t : m_tracked) t->m_nPosition = -1;
  for (Observer* o : m_observers) o->OnRemovedAll();
}

namespace {

// Eight hashes side by side (GCC and Clang vector extensions: SSE2 on x86-64, NEON on ARM).
using HashLanes = std::uint16_t __attribute__((vector_size(16)));
constexpr std::size_t kBlock = 32;

HashLanes LoadLanes(const std::uint16_t* hashes) {
  HashLanes lanes;
  std::memcpy(&lanes, hashes, sizeof lanes);
  return lanes;
}

// Whether one of the kBlock hashes from `hashes` on is `hash`: four comparisons of eight.
bool AnyOfBlock(const std::uint16_t* hashes, std::uint16_t hash) {
  HashLanes wanted;
  for (int lane = 0; lane < 8; ++lane) wanted[lane] = hash;
  const auto equal = (LoadLanes(hashes) == wanted) | (LoadLanes(hashes + 8) == wanted) |
                     (LoadLanes(hashes + 16) == wanted) | (LoadLanes(hashes + 24) == wanted);
  std::uint64_t halves[2];
  std::memcpy(halves, &equal, sizeof halves);
  return (halves[0] | halves[1]) != 0;
}

}  // namespace

int CClipList::Find(std::string_view text) const {
  const std::uint16_t hash = HashOf(text);
  for (std::size_t k = 0; k < m_hashes.ChunkCount(); ++k) {
    const std::span<const std::uint16_t> hashes = m_hashes.Chunk(k);
    std::size_t i = 0;
    while (i < hashes.size()) {
      // Most blocks hold no candidate: skipped at a few instructions each.
      if (i + kBlock <= hashes.size() && !AnyOfBlock(hashes.data() + i, hash)) {
        i += kBlock;
        continue;
      }
      const std::size_t end = std::min(i + kBlock, hashes.size());
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
