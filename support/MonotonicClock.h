// Whole milliseconds since start-up on the performance counter, immune to wall-clock changes.
#pragma once

#include <cstdint>

// Nanoseconds for a counter reading; 10 MHz is exact in one step, other rates scale whole
// seconds and the remainder apart so the product never overflows 64 bits.
std::int64_t CounterToNanoseconds(std::int64_t counter, std::int64_t frequency);

// Whole milliseconds between two nanosecond readings, the fraction dropped.
double NanosecondsToElapsedMs(std::int64_t nowNs, std::int64_t startNs);

std::int64_t MonotonicNow();
double ElapsedMilliseconds();

// The origin of every elapsed value, captured while static objects are initialised.
extern const std::int64_t StartInstant;
