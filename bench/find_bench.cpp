// Cost of one find-next press that tests every item and finds none: 1,000,000 items of
// 80 bytes, no line selected, searching down, for a short and a long text. Prints one line
// per text: items=N text_bytes=B find_ms=M cpu_ms=C, the medians of the elapsed time and
// of the thread's processor time (the second is steadier on a busy machine).
#include <algorithm>
#include <chrono>
#include <ctime>
#include <cstdio>
#include <string>
#include <vector>

#include "document/clip_list.h"
#include "platform/code_page.h"
#include "view/search_list.h"

namespace {

constexpr int kItems = 1000000;
constexpr int kRuns = 11;

double ThreadCpuMs() {
  timespec now{};
  clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
  return static_cast<double>(now.tv_sec) * 1e3 + static_cast<double>(now.tv_nsec) / 1e6;
}

double Median(std::vector<double> values) {
  std::sort(values.begin(), values.end());
  return values[values.size() / 2];
}

// About 80 bytes, different in its first characters, as copied text usually is.
std::string ItemText(int n) {
  std::string text = "item " + std::to_string(n) + " ";
  while (text.size() < 80) text += "lorem ipsum dolor sit amet ";
  text.resize(80);
  return text;
}

}  // namespace

int main() {
  doc::CClipList list;
  for (int i = 0; i < kItems; ++i) list.AddTail(ItemText(i));

  // A short text, and one that shares its first letters with many places in every item;
  // neither is in any item.
  for (const std::string text : {"xyz", "lorem ipsum dolor sit amen"}) {
    std::vector<double> times;
    std::vector<double> cpuTimes;
    int found = 0;
    for (int run = 0; run < kRuns; ++run) {
      const double cpuStart = ThreadCpuMs();
      const auto start = std::chrono::steady_clock::now();
      found += view::SearchList(list, text, -1, true, platform::CodePage::Utf8) >= 0;
      const std::chrono::duration<double, std::milli> elapsed =
          std::chrono::steady_clock::now() - start;
      times.push_back(elapsed.count());
      cpuTimes.push_back(ThreadCpuMs() - cpuStart);
    }
    std::printf("items=%d text_bytes=%zu find_ms=%.1f cpu_ms=%.1f%s\n", kItems, text.size(),
                Median(times), Median(cpuTimes), found ? " (unexpected hit)" : "");
  }
  return 0;
}
