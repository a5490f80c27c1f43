#include "support/MonotonicClock.h"

#include <windows.h>

namespace {

constexpr std::int64_t kNanosecondsPerSecond = 1000000000;
constexpr std::int64_t kNanosecondsPerMillisecond = 1000000;
constexpr std::int64_t kTenMegahertz = 10000000;

std::int64_t counterFrequency = 0;  // read once, on the first reading

}  // namespace

std::int64_t CounterToNanoseconds(std::int64_t counter, std::int64_t frequency) {
    if (frequency == kTenMegahertz) return counter * 100;
    if (frequency <= 0) return 0;  // no counter: every reading is the origin
    return (counter / frequency) * kNanosecondsPerSecond +
           ((counter % frequency) * kNanosecondsPerSecond) / frequency;
}

double NanosecondsToElapsedMs(std::int64_t nowNs, std::int64_t startNs) {
    const std::int64_t elapsedMs = (nowNs - startNs) / kNanosecondsPerMillisecond;
    return static_cast<double>(elapsedMs);
}

std::int64_t MonotonicNow() {
    if (counterFrequency == 0) {
        LARGE_INTEGER frequency{};
        (void)QueryPerformanceFrequency(&frequency);  // never fails on XP and later
        counterFrequency = frequency.QuadPart;
    }
    LARGE_INTEGER counter{};
    (void)QueryPerformanceCounter(&counter);
    return CounterToNanoseconds(counter.QuadPart, counterFrequency);
}

double ElapsedMilliseconds() {
    return NanosecondsToElapsedMs(MonotonicNow(), StartInstant);
}
