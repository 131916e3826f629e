// Saves lists of `items` items to `path` over and over, generation after generation,
// until it is killed: kill_save_child PATH ITEMS FIRST_GENERATION
#include <cstdlib>
#include <string>

#include "document/clip_list_serializer.h"
#include "framework/safe_file_writer.h"
#include "kill_save_list.h"

int main(int argc, char** argv) {
  if (argc != 4) return 2;
  const std::string path = argv[1];
  const long items = std::atol(argv[2]);
  doc::CClipList list;
  for (long generation = std::atol(argv[3]);; ++generation) {
    killsave::FillList(list, generation, items);
    fw::SaveFileSafely(path, [&](fw::CArchive& ar) { doc::WriteClipList(ar, list); });
  }
}
