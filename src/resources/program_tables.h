#pragma once

#include "framework/resource_tables.h"

namespace res {

// The program's strings, menus, accelerators and tool bar, as the framework reads them.
fw::UiTables ProgramUiTables();

}  // namespace res
