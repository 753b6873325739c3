// Replaces the global allocation functions with counting ones. Kept in a file of its own so the compiler
// never pairs a replaced new with its delete (GCC's -Wmismatched-new-delete cannot see they match).
#include "alloc_counter.h"

#include <cstdlib>
#include <new>

std::atomic<bool> allocCounting{false};
std::atomic<int> allocCount{0};

void *operator new(std::size_t n) {
    if (allocCounting)
        ++allocCount;
    if (void *p = std::malloc(n ? n : 1))
        return p;
    throw std::bad_alloc();
}
void *operator new[](std::size_t n) {
    return operator new(n);
}
void operator delete(void *p) noexcept {
    std::free(p);
}
void operator delete[](void *p) noexcept {
    std::free(p);
}
void operator delete(void *p, std::size_t) noexcept {
    std::free(p);
}
void operator delete[](void *p, std::size_t) noexcept {
    std::free(p);
}
