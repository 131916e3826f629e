// Cost of one clipboard capture with N items and V views of the active document: a new
// text arrives, the document adds it (duplicate scan included), every view refills and
// repaints. Prints one line per case: items=N views=V path=add capture_ms=M (median).
// Each timed capture really adds: the list holds N-1 items before it, and the added item
// is taken out again, untimed, before the next one. A last line times the capture that
// the item limit refuses (path=refused), which shows the limit's message instead. Every
// case journals its list as the program does; the two journal= lines at 32,767 items show
// the capture with the list's recovery journal off and on.
#include <QApplication>
#include <QElapsedTimer>
#include <QTemporaryDir>
#include <algorithm>
#include <cstdlib>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "app/main_frame.h"
#include "app/tolvane_app.h"
#include "document/tolvane_doc.h"
#include "framework/mdi_child_wnd.h"
#include "resources/command_ids.h"
#include "support/fake_clipboard_port.h"
#include "support/message_recorder.h"

namespace {

constexpr int kRuns = 21;

// About 80 bytes, different in its first characters, as copied text usually is.
std::string ItemText(int n) {
  std::string text = "item " + std::to_string(n) + " ";
  while (text.size() < 80) text += "lorem ipsum dolor sit amet ";
  text.resize(80);
  return text;
}

enum class CapturePath { Add, Refused };

double MeasureCapture(int items, int views, CapturePath path, bool journal = true) {
  QTemporaryDir config;
  qputenv("XDG_CONFIG_HOME", config.path().toUtf8());
  qputenv("XDG_STATE_HOME", config.filePath(QStringLiteral("state")).toUtf8());
  testing_support::MessageRecorder messages;
  auto port = std::make_unique<testing_support::FakeClipboardPort>();
  testing_support::FakeClipboardPort* clipboard = port.get();
  auto app = std::make_unique<app::CTolvaneApp>(std::move(port));
  app->m_bRegisterWithDesktop = false;
  app->InitInstance();
  app::CMainFrame* frame = app->MainFrame();
  frame->resize(900, 700);

  auto* doc = dynamic_cast<doc::CTolvaneDoc*>(frame->MDIGetActive()->GetActiveDocument());
  if (!journal) doc->SetJournalStore(nullptr);
  const int filled = path == CapturePath::Add ? items - 1 : items;
  for (int i = 0; i < filled; ++i) doc->ItemListForTesting().AddTail(ItemText(i));
  for (int v = 1; v < views; ++v) frame->RunCommand(res::ID_WINDOW_NEW);
  frame->MDITileHorizontally();
  doc->UpdateAllViews(nullptr, 0);
  QApplication::processEvents();

  std::vector<double> times;
  for (int run = 0; run < kRuns; ++run) {
    const std::string text = "captured text number " + std::to_string(run);
    QElapsedTimer timer;
    timer.start();
    clipboard->SimulateCopy(text);  // the change notice is handled inside this call
    times.push_back(static_cast<double>(timer.nsecsElapsed()) / 1e6);
    if (path == CapturePath::Add) {
      doc->ItemListForTesting().RemoveAt(0);
      doc->UpdateAllViews(nullptr, 0);
    }
    QApplication::processEvents();
  }
  frame->close();
  app.reset();
  std::sort(times.begin(), times.end());
  return times[times.size() / 2];
}

}  // namespace

void PrintCase(int items, int views, CapturePath path) {
  std::printf("items=%d views=%d path=%s capture_ms=%.2f\n", items, views,
              path == CapturePath::Add ? "add" : "refused", MeasureCapture(items, views, path));
  std::fflush(stdout);
}

int main(int argc, char** argv) {
  qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication qtApp(argc, argv);
  // "capture_bench N V" measures one case only.
  if (argc == 3) {
    PrintCase(std::atoi(argv[1]), std::atoi(argv[2]), CapturePath::Add);
    return 0;
  }
  for (int items : {1000, 10000, 32767}) {
    for (int views : {1, 2, 4}) PrintCase(items, views, CapturePath::Add);
  }
  PrintCase(32767, 1, CapturePath::Refused);
  for (bool journal : {false, true}) {
    std::printf("items=32767 views=1 path=add journal=%s capture_ms=%.3f\n",
                journal ? "on" : "off", MeasureCapture(32767, 1, CapturePath::Add, journal));
  }
  return 0;
}
