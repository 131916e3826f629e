#pragma once

// Injectable allocation failure. Code that reports running out of memory calls
// CheckAllocation() before it allocates, so tests can reach those reports without
// exhausting the machine's memory.
namespace platform {

// The next `count` calls of CheckAllocation() throw std::bad_alloc.
void FailNextAllocations(int count);
void ResetAllocationFailures();
// Throws std::bad_alloc while failures are pending.
void CheckAllocation();

}  // namespace platform
