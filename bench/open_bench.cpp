// Opening and saving a list file through the program: from the open call until the view
// has painted the list, and from the save call until the file is on disk; then one
// clipboard capture into the loaded list. Items of 80 bytes; median of several runs.
// Prints: items=N open_ms=M save_ms=M capture_ms=M
#include <QApplication>
#include <QElapsedTimer>
#include <QTemporaryDir>
#include <algorithm>
#include <cstdio>
#include <cstdlib>
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

std::string ItemText(int n) {
  std::string text = "item " + std::to_string(n) + " ";
  while (text.size() < 80) text += "lorem ipsum dolor sit amet ";
  text.resize(80);
  return text;
}

double Median(std::vector<double> values) {
  std::sort(values.begin(), values.end());
  return values[values.size() / 2];
}

double Elapsed(const QElapsedTimer& timer) { return static_cast<double>(timer.nsecsElapsed()) / 1e6; }

void MeasureSize(int items, const QString& folder) {
  const QString path = folder + QStringLiteral("/list.tvn");
  {
    doc::CClipList list;
    for (int i = 0; i < items; ++i) list.AddTail(ItemText(i));
    fw::SaveFileSafely(path.toStdString(), [&list](fw::CArchive& ar) { doc::WriteClipList(ar, list); });
  }
  testing_support::MessageRecorder messages;
  std::vector<double> opens, saves, captures;
  for (int run = 0; run < kRuns; ++run) {
    auto port = std::make_unique<testing_support::FakeClipboardPort>();
    testing_support::FakeClipboardPort* clipboard = port.get();
    auto app = std::make_unique<app::CTolvaneApp>(std::move(port));
    app->m_bRegisterWithDesktop = false;
    app->InitInstance();
    app->MainFrame()->resize(900, 700);
    QApplication::processEvents();

    QElapsedTimer timer;
    timer.start();
    auto* doc = dynamic_cast<doc::CTolvaneDoc*>(app->DocManager().OpenDocumentFile(path));
    app->MainFrame()->MDIGetActive()->repaint();
    opens.push_back(Elapsed(timer));
    if (!doc || doc->GetItemList().GetCount() != items) std::fprintf(stderr, "open failed\n");

    timer.restart();
    doc->OnSaveDocument(folder + QStringLiteral("/saved.tvn"));
    saves.push_back(Elapsed(timer));

    timer.restart();
    clipboard->SimulateCopy("captured text " + std::to_string(run));
    captures.push_back(Elapsed(timer));

    app->MainFrame()->close();
    app.reset();
    QApplication::processEvents();
  }
  std::printf("items=%d open_ms=%.1f save_ms=%.1f capture_ms=%.2f\n", items, Median(opens),
              Median(saves), Median(captures));
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
  for (int items : {100000, 1000000}) MeasureSize(items, folder.path());
  return 0;
}
