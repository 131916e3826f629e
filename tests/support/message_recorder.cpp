#include "support/message_recorder.h"

namespace testing_support {

MessageRecorder::MessageRecorder() {
  platform::SetMessageBoxHandler([this](const platform::MessageBoxRequest& request) {
    m_shown.push_back(request);
    if (m_whileOpen) {
      auto action = std::move(m_whileOpen);
      m_whileOpen = nullptr;
      action();
    }
    if (m_answers.empty()) return platform::IDOK;
    const int answer = m_answers.front();
    m_answers.pop_front();
    return answer;
  });
}

MessageRecorder::~MessageRecorder() { platform::SetMessageBoxHandler(nullptr); }

}  // namespace testing_support
