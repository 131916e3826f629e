#pragma once

#include <chrono>
#include <condition_variable>
#include <mutex>
#include <optional>

namespace platform {

// Hands a clipboard reader's first result from its thread to a window's thread that waits
// for it a bounded time at start. Results after the first, or after the wait gave up, are
// not taken and go their ordinary way.
template <class Event>
class FirstResultHandoff {
 public:
  // Reader's thread: true when `event` was taken as the awaited first result.
  bool Offer(Event& event) {
    std::lock_guard lock(m_mutex);
    if (!m_bAwaiting) return false;
    m_event = std::move(event);
    m_bAwaiting = false;
    m_arrived.notify_one();
    return true;
  }

  // Window's thread: the first result, or nothing when none came within `timeout`.
  std::optional<Event> Await(std::chrono::milliseconds timeout) {
    std::unique_lock lock(m_mutex);
    m_arrived.wait_for(lock, timeout, [this] { return !m_bAwaiting; });
    m_bAwaiting = false;
    std::optional<Event> first;
    first.swap(m_event);
    return first;
  }

 private:
  std::mutex m_mutex;
  std::condition_variable m_arrived;
  bool m_bAwaiting = true;
  std::optional<Event> m_event;
};

}  // namespace platform
