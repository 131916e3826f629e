// Reads and writes clip lists of 80-byte items through a real file, the archive and the
// serializer, and decodes text files for import in each kind of character set; prints the
// median of several runs per size.
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "document/clip_list_serializer.h"
#include "document/text_file_codec.h"
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

  // Text import of 100,000 lines of about 80 bytes: UTF-8 is checked only; the others go
  // through the character set guess and a conversion.
  const std::pair<const char*, std::string> kinds[] = {
      {"utf8", "\xE3\x81\x93\xE3\x82\x93\xE3\x81\xAB\xE3\x81\xA1\xE3\x81\xAF text "},
      {"cp932", "\x82\xB1\x82\xF1\x82\xC9\x82\xBF\x82\xCD\x81\x41\x90\xA2\x8A\x45 text "},
      {"latin1", "Le caf\xE9 est tr\xE8s bon, la cr\xE8me br\xFBl\xE9" "e aussi. "}};
  for (const auto& [name, phrase] : kinds) {
    std::string text;
    for (int i = 0; i < 100000; ++i) {
      std::string line;
      while (line.size() < 80) line += phrase;
      text += line + "\n";
    }
    std::vector<double> decodes;
    for (int run = 0; run < kRuns; ++run) {
      decodes.push_back(Milliseconds([&] {
        if (doc::DecodeTextLines(text, platform::CodePage::Utf8).size() != 100000) std::abort();
      }));
    }
    std::printf("import=%s bytes=%zu decode_ms=%.1f\n", name, text.size(), Median(decodes));
  }
  return 0;
}
