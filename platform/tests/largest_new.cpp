// Replaces the global operator new and delete of the test program so that a test can see
// the largest single allocation made while it ran.
#include "largest_new.h"

#include <atomic>
#include <cstdlib>
#include <new>

namespace {

std::atomic<std::size_t> gLargest{0};

void* recorded(std::size_t n) {
    std::size_t seen = gLargest.load(std::memory_order_relaxed);
    while (n > seen && !gLargest.compare_exchange_weak(seen, n, std::memory_order_relaxed)) {
    }
    return std::malloc(n == 0 ? 1 : n);
}

}  // namespace

void largest_new::reset() {
    gLargest.store(0);
}

std::size_t largest_new::largest() {
    return gLargest.load();
}

void* operator new(std::size_t n) {
    if (void* p = recorded(n)) return p;
    throw std::bad_alloc();
}
void* operator new[](std::size_t n) {
    if (void* p = recorded(n)) return p;
    throw std::bad_alloc();
}
void* operator new(std::size_t n, const std::nothrow_t&) noexcept {
    return recorded(n);
}
void* operator new[](std::size_t n, const std::nothrow_t&) noexcept {
    return recorded(n);
}
void operator delete(void* p) noexcept {
    std::free(p);
}
void operator delete[](void* p) noexcept {
    std::free(p);
}
void operator delete(void* p, std::size_t) noexcept {
    std::free(p);
}
void operator delete[](void* p, std::size_t) noexcept {
    std::free(p);
}
void operator delete(void* p, const std::nothrow_t&) noexcept {
    std::free(p);
}
void operator delete[](void* p, const std::nothrow_t&) noexcept {
    std::free(p);
}
