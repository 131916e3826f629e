#pragma once

#include <algorithm>
#include <cassert>
#include <cstddef>
#include <iterator>
#include <span>
#include <utility>
#include <vector>

namespace doc {

// A sequence that stays cheap to change anywhere when it holds a million elements: the
// elements sit in chunks of at most `kChunk`, so an insertion or a removal moves the
// elements of one chunk and the start of each later chunk, where one array (or a deque)
// would move every element between the position and the nearer end. Reaching an element
// is a binary search over the chunks' starts. A pass over every element goes chunk by
// chunk, through contiguous memory.
//
// Inserting may throw for memory; the elements are then as they were. Removing does not
// throw (the elements' moves must not).
template <typename T, std::size_t kChunk = 1024>
class ChunkedVector {
  static_assert(kChunk >= 2);
  // A new chunk at the end grows as it fills, to exactly kChunk for a power of two.
  static constexpr std::size_t kFirstCapacity = std::min<std::size_t>(kChunk, 16);

 public:
  std::size_t size() const { return m_size; }
  bool empty() const { return m_size == 0; }

  const T& operator[](std::size_t position) const {
    const auto [chunk, offset] = Locate(position);
    return m_chunks[chunk][offset];
  }
  T& operator[](std::size_t position) {
    const auto [chunk, offset] = Locate(position);
    return m_chunks[chunk][offset];
  }

  void push_back(T value) {
    if (m_chunks.empty() || m_chunks.back().size() == kChunk) {
      std::vector<T> chunk;
      chunk.reserve(kFirstCapacity);
      chunk.push_back(std::move(value));
      AddChunkAt(m_chunks.size(), m_size, std::move(chunk));
    } else {
      m_chunks.back().push_back(std::move(value));
    }
    ++m_size;
  }

  // The position just past the end appends.
  void insert(std::size_t position, T value) {
    assert(position <= m_size);
    if (position == m_size) {
      push_back(std::move(value));
      return;
    }
    auto [chunk, offset] = Locate(position);
    if (m_chunks[chunk].size() == kChunk) {
      // A full chunk gives its back half to a new chunk after it.
      constexpr std::size_t kHalf = kChunk / 2;
      std::vector<T> back;
      back.reserve(kChunk);
      AddChunkAt(chunk + 1, m_starts[chunk] + kHalf, std::move(back));
      std::vector<T>& front = m_chunks[chunk];
      std::move(front.begin() + kHalf, front.end(), std::back_inserter(m_chunks[chunk + 1]));
      front.erase(front.begin() + kHalf, front.end());
      if (offset > kHalf) {
        ++chunk;
        offset -= kHalf;
      }
    }
    std::vector<T>& target = m_chunks[chunk];
    target.insert(target.begin() + static_cast<std::ptrdiff_t>(offset), std::move(value));
    for (std::size_t k = chunk + 1; k < m_starts.size(); ++k) ++m_starts[k];
    ++m_size;
  }

  void erase(std::size_t position) {
    assert(position < m_size);
    const auto [chunk, offset] = Locate(position);
    std::vector<T>& target = m_chunks[chunk];
    target.erase(target.begin() + static_cast<std::ptrdiff_t>(offset));
    for (std::size_t k = chunk + 1; k < m_starts.size(); ++k) --m_starts[k];
    if (target.empty()) {
      m_chunks.erase(m_chunks.begin() + static_cast<std::ptrdiff_t>(chunk));
      m_starts.erase(m_starts.begin() + static_cast<std::ptrdiff_t>(chunk));
    }
    --m_size;
  }

  void clear() {
    m_chunks.clear();
    m_starts.clear();
    m_size = 0;
  }

  void assign(std::size_t count, const T& value) {
    ChunkedVector filled;
    filled.m_chunks.reserve((count + kChunk - 1) / kChunk);
    filled.m_starts.reserve(filled.m_chunks.capacity());
    for (std::size_t start = 0; start < count; start += kChunk) {
      filled.m_chunks.emplace_back(std::min(kChunk, count - start), value);
      filled.m_starts.push_back(start);
    }
    filled.m_size = count;
    *this = std::move(filled);
  }

  // The chunks in order, for a pass over every element: the elements of chunk k are
  // those from position ChunkStart(k) on.
  std::size_t ChunkCount() const { return m_chunks.size(); }
  std::span<const T> Chunk(std::size_t k) const { return m_chunks[k]; }
  std::size_t ChunkStart(std::size_t k) const { return m_starts[k]; }

 private:
  // The chunk that holds `position`, and the position within it.
  std::pair<std::size_t, std::size_t> Locate(std::size_t position) const {
    assert(position < m_size);
    const auto after = std::upper_bound(m_starts.begin(), m_starts.end(), position);
    const auto chunk = static_cast<std::size_t>(after - m_starts.begin()) - 1;
    return {chunk, position - m_starts[chunk]};
  }

  // Makes room for both lists before changing either, so that a failure changes nothing.
  void AddChunkAt(std::size_t k, std::size_t start, std::vector<T> chunk) {
    if (m_chunks.size() == m_chunks.capacity()) m_chunks.reserve(2 * m_chunks.size() + 1);
    if (m_starts.size() == m_starts.capacity()) m_starts.reserve(2 * m_starts.size() + 1);
    m_chunks.insert(m_chunks.begin() + static_cast<std::ptrdiff_t>(k), std::move(chunk));
    m_starts.insert(m_starts.begin() + static_cast<std::ptrdiff_t>(k), start);
  }

  std::vector<std::vector<T>> m_chunks;
  std::vector<std::size_t> m_starts;
  std::size_t m_size = 0;
};

}  // namespace doc
