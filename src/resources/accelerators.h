#pragma once

#include <span>
#include <string_view>

#include "framework/resource_tables.h"

namespace res {

using Accelerator = fw::Accelerator;

// Accelerator table 128, which serves the main window and every document window.
std::span<const Accelerator> Accelerators();

}  // namespace res
