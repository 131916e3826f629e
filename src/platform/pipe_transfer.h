#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace platform {

enum class TransferResult { Done, Stalled, Interrupted, Failed };

// Reads `fd` to its end into `out`. Gives up when no byte arrives for `giveUpMs`, and
// stops at once when `wakeFd` (if not -1) becomes readable. Throws std::bad_alloc when
// memory runs out.
TransferResult ReadToEnd(int fd, int giveUpMs, int wakeFd, std::string& out);

// Writes all of `data` to `fd`, with the same bounds as ReadToEnd.
TransferResult WriteAll(int fd, std::string_view data, int giveUpMs, int wakeFd);

// The offered type to take the text from, best first; empty when none is text.
std::string ChooseTextType(const std::vector<std::string>& types);

}  // namespace platform
