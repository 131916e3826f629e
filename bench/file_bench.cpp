// Reads and writes clip lists of 80-byte items through a real file, the archive and the
// serializer; prints the median of several runs per size.
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <string>
#include <vector>

#include "document/clip_list_serializer.h"
#include "framework/file_loader.h"
#include "framework/safe_file_writer.h"

namespace {

constexpr int kRuns = 5;

template <typename F>
double Milliseconds(F&& f) {
  const auto start = std::chrono::steady_clock::now();
  f();
  return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
}

double Median(std::vector<double> values) {
  std::sort(values.begin(), values.end());
  return values[values.size() / 2];
}

}  // namespace

int main() {
  char dir[] = "/tmp/tolvane-bench-XXXXXX";
  if (::mkdtemp(dir) == nullptr) return 1;
  const std::string path = std::string(dir) + "/list.tvn";
  for (int items : {100000, 1000000}) {
    doc::CClipList list;
    for (int i = 0; i < items; ++i) {
      std::string item = "item " + std::to_string(i) + " ";
      item.resize(80, 'x');
      list.AddTail(std::move(item));
    }
    std::vector<double> reads;
    std::vector<double> writes;
    for (int run = 0; run < kRuns; ++run) {
      writes.push_back(Milliseconds([&] {
        fw::SaveFileSafely(path, [&](fw::CArchive& ar) { doc::WriteClipList(ar, list); });
      }));
      doc::CClipList loaded;
      reads.push_back(Milliseconds([&] {
        fw::LoadFile(path, [&](fw::CArchive& ar) { doc::ReadClipList(ar, loaded); });
      }));
      if (loaded.GetCount() != items) return 1;
    }
    std::printf("items=%d read_ms=%.1f write_ms=%.1f\n", items, Median(reads), Median(writes));
  }
  ::unlink(path.c_str());
  ::rmdir(dir);
  return 0;
}
