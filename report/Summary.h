// The figures a person reads first about a set of sessions.
#pragma once

#include <array>
#include <map>
#include <string>
#include <utility>
#include <vector>

#include "report/Session.h"

// What the reading of the files met besides sessions.
struct ReadCounts {
    int files = 0;
    int unreadableFiles = 0;  // empty, or without one line of the session handler's format
    int unreadableLines = 0;  // torn, garbled or cut short, in files that were read
};

struct Summary {
    ReadCounts read;
    int sessions = 0;
    UtcTime first;  // the period covered
    UtcTime last;
    std::array<int, kOutcomeCount> byOutcome{};
    int uncleanShutdowns = 0;
    std::map<std::string, int> perDay;  // "YYYY-MM-DD" of each session's start
    std::vector<std::pair<int, long long>> durationPercentiles;  // (percent, seconds)
    std::vector<std::pair<std::string, int>> topPages;  // most asked for first, at most ten
};

Summary Summarise(const std::vector<Session>& sessions, const ReadCounts& read);

// The nearest-rank percentile of sorted values (0 for none).
long long Percentile(const std::vector<long long>& sorted, int percent);
