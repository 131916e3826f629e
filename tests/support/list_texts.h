#pragma once

#include <string>
#include <vector>

#include "document/clip_list.h"

namespace testing_support {

using Texts = std::vector<std::string>;

// The items of `list`, head first.
inline Texts ListTexts(const doc::CClipList& list) {
  Texts texts;
  for (int i = 0; i < list.GetCount(); ++i) texts.push_back(list.GetAt(i));
  return texts;
}

}  // namespace testing_support
