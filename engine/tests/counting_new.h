#pragma once
// Test programs that link counting_new.cpp route every operator new through a counter.

namespace ovfc_test {

// Allocations made through operator new since the program started.
long allocationCount();

}  // namespace ovfc_test
