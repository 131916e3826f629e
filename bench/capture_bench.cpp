// Cost of one clipboard capture with N items and V views of the active document: a new
// text arrives, the document adds it (duplicate scan included), every view refills and
// repaints. Prints one line per case: items=N views=V path=add capture_ms=M (median).
// Each timed capture really adds: the list holds N-1 items before it, and the added item
// is taken out again, untimed, before the next one. A last line times the capture that
// the item limit refuses (path=refused), which shows the limit's message instead. Every
// case journals its list as the program does; the two journal= lines at 32,767 items show
// the capture with the list's recovery journal off and on (first_capture_ms: the first
// capture after the list was saved, which starts its journal), and the list_capture_us lines
// the list's own part of it (no view), where the journal's cost is not lost in the noise
// of drawing.
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
#include "document/journal_store.h"
#include "document/tolvane_doc.h"
#include "framework/mdi_child_wnd.h"
#include "resources/command_ids.h"
#include "support/fake_clipboard_port.h"
#include "support/message_recorder.h"

namespace {

constexpr int kRuns = 21;
// More runs where the difference sought is a fraction of a millisecond.
constexpr int kJournalRuns = 201;

// About 80 bytes, different in its first characters, as copied text usually is.
std::string ItemText(int n) {
  std::string text = "item " + std::to_string(n) + " ";
  while (text.size() < 80) text += "lorem ipsum dolor sit amet ";
  text.resize(80);
  return text;
}

enum class CapturePath { Add, Refused };

struct Timing {
  double median;
  double first;  // the first capture after the list was saved: with the journal on, it starts it
};

Timing MeasureCaptures(int items, int views, CapturePath path, bool journal, int runs) {
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
  doc->OnSaveDocument(config.filePath(QStringLiteral("list.tvn")));
  QApplication::processEvents();

  std::vector<double> times;
  for (int run = 0; run < runs; ++run) {
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
  const double first = times.front();
  std::sort(times.begin(), times.end());
  return {times[times.size() / 2], first};
}

double MeasureCapture(int items, int views, CapturePath path) {
  return MeasureCaptures(items, views, path, true, kRuns).median;
}

// The list's own work for one capture at 32,767 items (the duplicate scan, the addition
// and, when on, the journal's record), in microseconds: the median of many, and the median
// of the first capture after a save (which, when on, starts the journal).
Timing MeasureListCapture(bool journal) {
  QTemporaryDir state;
  testing_support::FakeClipboardPort port;
  doc::ClipboardCapture capture(port);
  doc::JournalStore store(state.path().toStdString());
  doc::CTolvaneDoc list(capture);
  if (journal) list.SetJournalStore(&store);
  for (int i = 0; i < 32766; ++i) list.ItemListForTesting().AddTail(ItemText(i));
  list.AddCapturedText("the first change starts the journal");
  list.ItemListForTesting().RemoveAt(0);
  auto timeCapture = [&list](std::string text) {
    QElapsedTimer timer;
    timer.start();
    list.AddCapturedText(std::move(text));
    const double us = static_cast<double>(timer.nsecsElapsed()) / 1e3;
    list.ItemListForTesting().RemoveAt(0);
    return us;
  };
  std::vector<double> times;
  for (int run = 0; run < 2001; ++run) times.push_back(timeCapture("captured text " + std::to_string(run)));
  std::vector<double> firsts;
  for (int run = 0; run < 21; ++run) {
    list.OnSaveDocument(state.filePath(QStringLiteral("list.tvn")));
    firsts.push_back(timeCapture("first after saving " + std::to_string(run)));
  }
  std::sort(times.begin(), times.end());
  std::sort(firsts.begin(), firsts.end());
  return {times[times.size() / 2], firsts[firsts.size() / 2]};
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
  // "capture_bench journal" measures the journal lines only.
  const bool journalOnly = argc == 2 && std::string(argv[1]) == "journal";
  for (int items : {1000, 10000, 32767}) {
    for (int views : {1, 2, 4}) {
      if (!journalOnly) PrintCase(items, views, CapturePath::Add);
    }
  }
  if (!journalOnly) PrintCase(32767, 1, CapturePath::Refused);
  for (bool journal : {false, true}) {
    const Timing t = MeasureCaptures(32767, 1, CapturePath::Add, journal, kJournalRuns);
    std::printf("items=32767 views=1 path=add journal=%s capture_ms=%.3f first_capture_ms=%.3f\n",
                journal ? "on" : "off", t.median, t.first);
  }
  for (bool journal : {false, true}) {
    const Timing t = MeasureListCapture(journal);
    std::printf("items=32767 views=0 path=add journal=%s list_capture_us=%.1f "
                "first_list_capture_us=%.1f\n",
                journal ? "on" : "off", t.median, t.first);
  }
  return 0;
}
