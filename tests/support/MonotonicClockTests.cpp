#include "support/MonotonicClock.h"

#include <gtest/gtest.h>

#include <cstdint>

TEST(ElapsedMilliseconds, DropsTheFractionOfAMillisecond) {
    const std::int64_t start = 123456789;
    EXPECT_EQ(0.0, NanosecondsToElapsedMs(start + 999999, start));
    EXPECT_EQ(1.0, NanosecondsToElapsedMs(start + 1000000, start));
    EXPECT_EQ(1.0, NanosecondsToElapsedMs(start + 1999999, start));
    EXPECT_EQ(5000.0, NanosecondsToElapsedMs(start + 5000999999LL, start));
}

TEST(CounterToNanoseconds, TenMegahertzCountsHundredNanosecondSteps) {
    EXPECT_EQ(100, CounterToNanoseconds(1, 10000000));
    EXPECT_EQ(123456789LL * 100, CounterToNanoseconds(123456789, 10000000));
}

TEST(CounterToNanoseconds, OtherFrequenciesScaleSecondsAndRemainderApart) {
    // 3 s and 1 count at 3 MHz: the remainder truncates to 333 ns.
    EXPECT_EQ(3000000333LL, CounterToNanoseconds(9000001, 3000000));
    // A year of uptime at 2.4 GHz overflows counter * 1e9 but not the split rule.
    const std::int64_t frequency = 2400000000LL;
    const std::int64_t yearSeconds = 365LL * 24 * 3600;
    EXPECT_EQ(yearSeconds * 1000000000LL + 500000000LL,
              CounterToNanoseconds(yearSeconds * frequency + frequency / 2, frequency));
}

TEST(ElapsedMilliseconds, RisesInWholeStepsFromTheStartInstant) {
    const double first = ElapsedMilliseconds();
    double last = first;
    for (int i = 0; i < 100000 && last - first < 3.0; ++i) {
        const double now = ElapsedMilliseconds();
        EXPECT_EQ(now, static_cast<double>(static_cast<std::int64_t>(now)));
        EXPECT_GE(now, last);
        last = now;
    }
    EXPECT_GE(first, 0.0);
}
