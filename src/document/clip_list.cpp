#include "document/clip_list.h"

#include <algorithm>
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
}

std::uint32_t CClipList::HashOf(std::string_view text) {
  return static_cast<std::uint32_t>(std::hash<std::string_view>{}(text));
}

void CClipList::SetAt(int position, std::string text) {
  ++m_nVersion;
  Entry& entry = m_items[position];
  m_hashes[position] = HashOf(text);
  entry.text = std::move(text);
  ForgetWidth(entry);
}

void CClipList::SetCachedWidth(int position, int width) const {
  const Entry& entry = m_items[position];
  ForgetWidth(entry);
  if (width < 0) return;
  ++m_widthCounts[width];  // first: when this fails for memory, nothing has changed
  entry.width = width;
  ++m_nMeasured;
}

int CClipList::GetWidestCachedWidth() const {
  return m_widthCounts.empty() ? 0 : m_widthCounts.rbegin()->first;
}

void CClipList::ForgetWidth(const Entry& entry) const {
  if (entry.width < 0) return;
  const auto count = m_widthCounts.find(entry.width);
  if (count != m_widthCounts.end() && --count->second == 0) m_widthCounts.erase(count);
  --m_nMeasured;
  entry.width = -1;
}

void CClipList::AddHead(std::string text) { InsertBefore(0, std::move(text)); }

void CClipList::AddTail(std::string text) {
  ++m_nVersion;
  platform::CheckAllocation();
  m_hashes.push_back(HashOf(text));
  try {
    m_items.push_back(Entry{std::move(text)});
  } catch (...) {
    m_hashes.pop_back();
    throw;
  }
}

void CClipList::InsertBefore(int position, std::string text) {
  ++m_nVersion;
  platform::CheckAllocation();
  m_hashes.insert(m_hashes.begin() + position, HashOf(text));
  try {
    m_items.insert(m_items.begin() + position, Entry{std::move(text)});
  } catch (...) {
    m_hashes.erase(m_hashes.begin() + position);
    throw;
  }
  ShiftTracked(position, +1);
}

void CClipList::RemoveAt(int position) {
  ++m_nVersion;
  ForgetWidth(m_items[position]);
  if (position == 0) {
    m_items.pop_front();
    m_hashes.pop_front();
  } else {
    m_items.erase(m_items.begin() + position);
    m_hashes.erase(m_hashes.begin() + position);
  }
  ForgetTracked(position);
  ShiftTracked(position + 1, -1);
}

void CClipList::RemoveAll() {
  ++m_nVersion;
  m_items.clear();
  m_hashes.clear();
  m_widthCounts.clear();
  m_nMeasured = 0;
  for (TrackedPosition* t : m_tracked) t->m_nPosition = -1;
}

int CClipList::Find(std::string_view text) const {
  const std::uint32_t hash = HashOf(text);
  const auto end = m_hashes.end();
  for (auto found = std::find(m_hashes.begin(), end, hash); found != end;
       found = std::find(found + 1, end, hash)) {
    const auto position = static_cast<int>(found - m_hashes.begin());
    if (m_items[position].text == text) return position;
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
