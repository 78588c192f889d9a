#pragma once
// Test programs that link counting_new.cpp route every operator new through a counter that
// also keeps the largest single allocation (all threads).

#include <cstddef>

namespace ovfc_test {

// Allocations made through operator new since the program started.
long allocationCount();

// The largest allocation since the last resetLargestAllocation().
std::size_t largestAllocation();
void resetLargestAllocation();

}  // namespace ovfc_test
