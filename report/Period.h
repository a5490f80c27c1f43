// The period a report is restricted to: sessions that started in [since, until), UTC.
#pragma once

#include <cstdint>
#include <optional>
#include <map>
#include <string>
#include <string_view>

#include "report/LogLine.h"

// "YYYY-MM-DD" (its midnight) or "YYYY-MM-DD hh:mm:ss", as seconds since 1970; nothing for
// anything else.
std::optional<std::int64_t> ParseUtcTime(std::string_view text);

struct Period {
    std::optional<std::int64_t> since;
    std::optional<std::int64_t> until;

    bool Holds(const UtcTime& start) const {
        const std::int64_t at = start.Seconds();
        return (!since || at >= *since) && (!until || at < *until);
    }
};

// How sessions are counted over a period so that the count fits one screen or one chart: by
// day up to a month, by week (from Monday) up to half a year, by month beyond.
enum class Granularity { kDay, kWeek, kMonth };
Granularity GranularityFor(const std::string& firstDay, const std::string& lastDay);

// The bucket a "YYYY-MM-DD" day falls in: the day itself, its week's Monday, or "YYYY-MM".
std::string BucketOf(const std::string& day, Granularity granularity);

// Counts by day summed into their buckets, in order, by add(bucket, day's count).
template <typename Count, typename Add>
std::map<std::string, Count> Bucketed(const std::map<std::string, Count>& byDay,
                                      Granularity granularity, Add&& add) {
    std::map<std::string, Count> buckets;
    for (const auto& day : byDay) add(buckets[BucketOf(day.first, granularity)], day.second);
    return buckets;
}
