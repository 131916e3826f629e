#pragma once

#include <QString>
#include <deque>
#include <functional>
#include <vector>

#include "platform/message_box.h"

namespace testing_support {

// Stands in for the message boxes while it lives: answers from a script (IDOK when the
// script is empty) and keeps every request that was shown.
class MessageRecorder {
 public:
  MessageRecorder();
  ~MessageRecorder();

  void Answer(int button) { m_answers.push_back(button); }
  // Runs while the box would be open (inside its event loop), before it answers.
  void WhileOpen(std::function<void()> action) { m_whileOpen = std::move(action); }

  const std::vector<platform::MessageBoxRequest>& Shown() const { return m_shown; }
  int Count() const { return static_cast<int>(m_shown.size()); }
  const platform::MessageBoxRequest& Last() const { return m_shown.back(); }
  QString LastText() const { return m_shown.empty() ? QString() : m_shown.back().text; }
  void Clear() { m_shown.clear(); }

 private:
  std::vector<platform::MessageBoxRequest> m_shown;
  std::deque<int> m_answers;
  std::function<void()> m_whileOpen;
};

}  // namespace testing_support
