#pragma once

#include <cstdio>
#include <string>

#include "document/clip_list.h"

namespace killsave {

// Item `index` of the list saved as generation `generation`: 80 bytes that say both, so a
// reader can tell a complete list of one generation from anything else.
inline std::string MakeItem(long generation, long index) {
  char head[48];
  std::snprintf(head, sizeof head, "generation %ld item %ld ", generation, index);
  std::string item(head);
  item.resize(80, '.');
  return item;
}

inline void FillList(doc::CClipList& list, long generation, long items) {
  list.RemoveAll();
  for (long i = 0; i < items; ++i) list.AddTail(MakeItem(generation, i));
}

}  // namespace killsave
