#pragma once

#include <QObject>
#include <functional>

class QSocketNotifier;

namespace app {

// Installs handlers for SIGTERM, SIGHUP and SIGINT that, from now until the process ends,
// only note the signal in a pipe. Called first thing in main, so that a signal during
// start-up waits there for the TerminationWatch instead of ending the program. Later calls
// do nothing. false when the pipe can't be made (the signals then keep their defaults).
bool InstallTerminationHandlers();

// Turns the noted termination signals into a call on the event loop, so that the end of
// the user's session ends the program the way Exit does: settings written, windows closed.
// Signals noted before the watch was made are acted on once the event loop runs; several
// noted together make one call.
class TerminationWatch : public QObject {
  Q_OBJECT

 public:
  explicit TerminationWatch(std::function<void()> onTerminate, QObject* parent = nullptr);
  // The handlers stay: a signal during the rest of the shut-down is noted and dropped.
  ~TerminationWatch() override;

 private:
  std::function<void()> m_onTerminate;
  QSocketNotifier* m_pNotifier = nullptr;
};

}  // namespace app
