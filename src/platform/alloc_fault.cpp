#include "platform/alloc_fault.h"

#include <new>

namespace platform {
namespace {
int g_pendingFailures = 0;
}

void FailNextAllocations(int count) { g_pendingFailures = count; }

void ResetAllocationFailures() { g_pendingFailures = 0; }

void CheckAllocation() {
  if (g_pendingFailures <= 0) return;
  --g_pendingFailures;
  throw std::bad_alloc();
}

}  // namespace platform
