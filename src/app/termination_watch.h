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
// Signals noted before the watch was made are acted on once an event loop runs, a modal
// box's loop included; several noted together make one call. Before the call, open modal
// dialogs and popup menus are ended, and from then on each modal dialog that opens ends
// as it shows: nothing waits for an answer the user will not give.
class TerminationWatch : public QObject {
  Q_OBJECT

 public:
  explicit TerminationWatch(std::function<void()> onTerminate, QObject* parent = nullptr);
  // The handlers stay: a signal during the rest of the shut-down is noted and dropped.
  ~TerminationWatch() override;

  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void EndModalLoops();

  std::function<void()> m_onTerminate;
  QSocketNotifier* m_pNotifier = nullptr;
  bool m_bEnding = false;
};

}  // namespace app
