// Opening and saving a list file through the program: from the open call until the view
// has painted the list, and from the save call until the file is on disk; then clipboard
// captures into the loaded list, each until the list and its view have taken it in, and
// the repaint after each. Items of 80 bytes; medians of several runs.
// Prints per size: items=N open_ms=M save_ms=M capture_ms=M
// and for 1,000,000 items one line more with the captures by path, in elapsed time and
// in the thread's processor time (steadier on a busy machine), the repaint, and the
// memory per item beyond the text bytes, of a list alone and of a document with its view:
//   items=N head_ms=M middle_ms=M tail_ms=M new_ms=M cpu_head_ms=C cpu_middle_ms=C
//     cpu_tail_ms=C cpu_new_ms=C repaint_ms=M list_bytes_per_item=B doc_bytes_per_item=B
#include <malloc.h>

#include <QApplication>
#include <QElapsedTimer>
#include <QTemporaryDir>
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <memory>
#include <string>
#include <vector>

#include "app/main_frame.h"
#include "app/tolvane_app.h"
#include "document/clip_list.h"
#include "document/clip_list_serializer.h"
#include "document/tolvane_doc.h"
#include "framework/doc_manager.h"
#include "framework/mdi_child_wnd.h"
#include "framework/safe_file_writer.h"
#include "support/fake_clipboard_port.h"
#include "support/message_recorder.h"

namespace {

constexpr int kRuns = 5;
// Captures of each path per run, at the size where the paths are timed.
constexpr int kPathCaptures = 5;
constexpr int kPathItems = 1000000;
constexpr std::size_t kItemBytes = 80;

std::string ItemText(int n) {
  std::string text = "item " + std::to_string(n) + " ";
  while (text.size() < kItemBytes) text += "lorem ipsum dolor sit amet ";
  text.resize(kItemBytes);
  text.shrink_to_fit();  // as a text read from a file
  return text;
}

double Median(std::vector<double> values) {
  std::sort(values.begin(), values.end());
  return values[values.size() / 2];
}

double Elapsed(const QElapsedTimer& timer) { return static_cast<double>(timer.nsecsElapsed()) / 1e6; }

// Heap in use, the blocks the allocator maps on their own included.
double HeapBytes() {
  const struct mallinfo2 info = mallinfo2();
  return static_cast<double>(info.uordblks + info.hblkhd);
}

// The list's own memory per item beyond the texts' bytes, a list alone.
double ListBytesPerItem(int items) {
  const double before = HeapBytes();
  doc::CClipList list;
  for (int i = 0; i < items; ++i) list.AddTail(ItemText(i));
  return (HeapBytes() - before) / items - static_cast<double>(kItemBytes);
}

double ThreadCpuMs() {
  timespec now{};
  clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
  return static_cast<double>(now.tv_sec) * 1e3 + static_cast<double>(now.tv_nsec) / 1e6;
}

// Elapsed and processor times of the captures of one path.
struct PathTimes {
  std::vector<double> wall, cpu;
};

void MeasureSize(int items, const QString& folder) {
  const QString path = folder + QStringLiteral("/list.tvn");
  {
    doc::CClipList list;
    for (int i = 0; i < items; ++i) list.AddTail(ItemText(i));
    fw::SaveFileSafely(path.toStdString(), [&list](fw::CArchive& ar) { doc::WriteClipList(ar, list); });
  }
  const bool paths = items == kPathItems;
  testing_support::MessageRecorder messages;
  std::vector<double> opens, saves, captures, paints, docBytes;
  PathTimes head, middle, tail, added;
  for (int run = 0; run < kRuns; ++run) {
    auto port = std::make_unique<testing_support::FakeClipboardPort>();
    testing_support::FakeClipboardPort* clipboard = port.get();
    auto app = std::make_unique<app::CTolvaneApp>(std::move(port));
    app->m_bRegisterWithDesktop = false;
    app->InitInstance();
    app->MainFrame()->resize(900, 700);
    QApplication::processEvents();
    malloc_trim(0);

    const double heapBefore = HeapBytes();
    QElapsedTimer timer;
    timer.start();
    auto* doc = dynamic_cast<doc::CTolvaneDoc*>(app->DocManager().OpenDocumentFile(path));
    app->MainFrame()->MDIGetActive()->repaint();
    opens.push_back(Elapsed(timer));
    docBytes.push_back((HeapBytes() - heapBefore) / items - static_cast<double>(kItemBytes));
    if (!doc || doc->GetItemList().GetCount() != items) std::fprintf(stderr, "open failed\n");

    timer.restart();
    doc->OnSaveDocument(folder + QStringLiteral("/saved.tvn"));
    saves.push_back(Elapsed(timer));

    // Until the list and its view have taken the capture in; the repaint after it apart.
    const auto capture = [&](const std::string& text, PathTimes* times) {
      const double cpu = ThreadCpuMs();
      timer.restart();
      clipboard->SimulateCopy(text);
      const double stored = Elapsed(timer);
      if (times) {
        times->wall.push_back(stored);
        times->cpu.push_back(ThreadCpuMs() - cpu);
      }
      timer.restart();
      app->MainFrame()->MDIGetActive()->repaint();
      paints.push_back(Elapsed(timer));
      return stored;
    };
    captures.push_back(capture("captured text " + std::to_string(run), nullptr));
    // Listed texts, each captured once: near the head, in the middle, near the end; and
    // new ones. Over the limit every one of them is refused after its equal item left.
    for (int i = 0; paths && i < kPathCaptures; ++i) {
      const int n = run * kPathCaptures + i;
      capture(ItemText(10 + n), &head);
      capture(ItemText(items / 2 + n), &middle);
      capture(ItemText(items - 10 - n), &tail);
      capture("new text " + std::to_string(n), &added);
    }

    app->MainFrame()->close();
    app.reset();
    QApplication::processEvents();
  }
  std::printf("items=%d open_ms=%.1f save_ms=%.1f capture_ms=%.2f\n", items, Median(opens),
              Median(saves), Median(captures));
  if (paths) {
    std::printf("items=%d head_ms=%.3f middle_ms=%.3f tail_ms=%.3f new_ms=%.3f cpu_head_ms=%.3f "
                "cpu_middle_ms=%.3f cpu_tail_ms=%.3f cpu_new_ms=%.3f repaint_ms=%.3f "
                "list_bytes_per_item=%.1f doc_bytes_per_item=%.1f\n",
                items, Median(head.wall), Median(middle.wall), Median(tail.wall),
                Median(added.wall), Median(head.cpu), Median(middle.cpu), Median(tail.cpu),
                Median(added.cpu), Median(paints), ListBytesPerItem(items), Median(docBytes));
  }
  std::fflush(stdout);
}

}  // namespace

int main(int argc, char** argv) {
  qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication qtApp(argc, argv);
  QTemporaryDir config;
  qputenv("XDG_CONFIG_HOME", config.path().toUtf8());
  qputenv("XDG_STATE_HOME", config.filePath(QStringLiteral("state")).toUtf8());
  QTemporaryDir folder;
  if (argc == 2) {
    MeasureSize(std::atoi(argv[1]), folder.path());
    return 0;
  }
  for (int items : {100000, kPathItems}) MeasureSize(items, folder.path());
  return 0;
}
