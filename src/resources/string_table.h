#pragma once

#include <span>
#include <string_view>

namespace res {

// One entry of the string table. For a command, the text before the first '\n' is its
// status-bar prompt and the text after it its tool tip.
struct StringEntry {
  unsigned id;
  std::string_view text;
};

// All entries, sorted by id, each id once.
std::span<const StringEntry> AllStrings();

// The text of string `id`; empty when there is none.
std::string_view LoadString(unsigned id);

// The text of string `id` before its first '\n' (the whole text when it has none).
std::string_view Prompt(unsigned id);

// The text of string `id` after its first '\n'; empty when it has none.
std::string_view ToolTip(unsigned id);

}  // namespace res
