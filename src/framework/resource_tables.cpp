#include "framework/resource_tables.h"

namespace fw {
namespace {
UiTables g_tables;
}

void SetUiTables(const UiTables& tables) { g_tables = tables; }

const UiTables& GetUiTables() { return g_tables; }

std::string_view TableString(unsigned id) {
  return g_tables.loadString ? g_tables.loadString(id) : std::string_view();
}

}  // namespace fw
