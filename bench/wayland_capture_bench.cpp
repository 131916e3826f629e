// Copy to capture on Wayland: our test compositor takes a new selection of its own (an
// 80-byte text), and the time until the Wayland clipboard port reports the change, its
// text read; median of 50 copies through each data-control protocol, the standard name
// and the wlroots one.
// Prints one line per protocol: protocol=ext copies=50 capture_ms=M
// Also the cost of the start-up question whether the compositor offers data-control at
// all (connect, one registry round trip, disconnect): median of 50, offered=both|none.
// Run: build/bench/wayland_capture_bench
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QTimer>
#include <algorithm>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "platform/data_control_protocol.h"
#include "platform/wayland_clipboard_port.h"
#include "support/test_compositor.h"

namespace {

using testing_support::TestCompositor;

constexpr int kCopies = 50;
constexpr int kWaitMs = 5000;

std::string ItemText(int n) {
  std::string text = "item " + std::to_string(n) + " ";
  while (text.size() < 80) text += "lorem ipsum dolor sit amet ";
  text.resize(80);
  return text;
}

// Waits for the port's next change notice; false when none comes in time.
bool WaitForChange(platform::ClipboardPort& port) {
  QEventLoop loop;
  bool bChanged = false;
  const QMetaObject::Connection connection =
      QObject::connect(&port, &platform::ClipboardPort::Changed, [&] {
        bChanged = true;
        loop.quit();
      });
  QTimer::singleShot(kWaitMs, &loop, &QEventLoop::quit);
  loop.exec();
  QObject::disconnect(connection);
  return bChanged;
}

void Measure(TestCompositor::Offers offers, const char* name) {
  TestCompositor compositor(offers);
  qputenv("WAYLAND_DISPLAY", QByteArray::fromStdString(compositor.Socket()));
  const std::unique_ptr<platform::WaylandClipboardPort> port =
      platform::WaylandClipboardPort::Create();
  if (!port) {
    std::printf("protocol=%s the port does not speak it\n", name);
    return;
  }
  if (port->StartupReadPending() && !WaitForChange(*port)) {
    std::printf("protocol=%s no read at start\n", name);
    return;
  }
  std::vector<double> times;
  for (int i = 0; i < kCopies; ++i) {
    QElapsedTimer timer;
    timer.start();
    compositor.SetSelection({{"text/plain;charset=utf-8", ItemText(i)}});
    if (!WaitForChange(*port)) {
      std::printf("protocol=%s copy %d was not noticed\n", name, i);
      return;
    }
    times.push_back(static_cast<double>(timer.nsecsElapsed()) / 1e6);
  }
  std::sort(times.begin(), times.end());
  std::printf("protocol=%s copies=%d capture_ms=%.3f\n", name, kCopies, times[times.size() / 2]);
}

void MeasureStartupProbe(TestCompositor::Offers offers, const char* name) {
  TestCompositor compositor(offers);
  qputenv("WAYLAND_DISPLAY", QByteArray::fromStdString(compositor.Socket()));
  std::vector<double> times;
  for (int i = 0; i < kCopies; ++i) {
    QElapsedTimer timer;
    timer.start();
    platform::ProbeWaylandClipboard();
    times.push_back(static_cast<double>(timer.nsecsElapsed()) / 1e6);
  }
  std::sort(times.begin(), times.end());
  std::printf("startup_probe offered=%s probe_ms=%.3f\n", name, times[times.size() / 2]);
}

}  // namespace

int main(int argc, char** argv) {
  QCoreApplication app(argc, argv);
  Measure(TestCompositor::kExt, "ext");
  Measure(TestCompositor::kWlr, "wlr");
  MeasureStartupProbe(TestCompositor::kBoth, "both");
  MeasureStartupProbe(TestCompositor::kNone, "none");
  return 0;
}
