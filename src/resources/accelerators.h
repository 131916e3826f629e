#pragma once

#include <span>
#include <string_view>

namespace res {

// A key combination, in QKeySequence's portable text, and the command it sends.
struct Accelerator {
  std::string_view keys;
  unsigned id;
};

// Accelerator table 128, which serves the main window and every document window.
std::span<const Accelerator> Accelerators();

}  // namespace res
