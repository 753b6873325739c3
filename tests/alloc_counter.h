#pragma once
#include <atomic>

// Counts operator new calls made while allocCounting is set.
extern std::atomic<bool> allocCounting;
extern std::atomic<int> allocCount;
