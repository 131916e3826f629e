#pragma once

#include <QObject>
#include <functional>

class QSocketNotifier;

namespace app {

// Turns SIGTERM, SIGHUP and SIGINT into a call on the event loop, so that the end of the
// user's session ends the program the way Exit does: settings written, windows closed.
class TerminationWatch : public QObject {
  Q_OBJECT

 public:
  explicit TerminationWatch(std::function<void()> onTerminate, QObject* parent = nullptr);
  ~TerminationWatch() override;

 private:
  std::function<void()> m_onTerminate;
  QSocketNotifier* m_pNotifier = nullptr;
};

}  // namespace app
