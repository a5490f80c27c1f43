// The figures a person reads first about a set of sessions, gathered as the sessions go by:
// what it keeps grows with the days of the period, not with the sessions.
#pragma once

#include <array>
#include <cstdint>
#include <map>
#include <string>
#include <utility>
#include <vector>

#include "report/ReadCounts.h"
#include "report/Session.h"

using OutcomeCounts = std::array<int, kOutcomeCount>;

struct Summary {
    ReadCounts read;
    int sessions = 0;    // settled ones: the figures below are theirs
    int inProgress = 0;  // sessions not settled yet
    UtcTime first;       // the period covered
    UtcTime last;
    OutcomeCounts byOutcome{};
    int uncleanShutdowns = 0;
    std::map<std::string, int> perDay;             // "YYYY-MM-DD" of each session's start
    std::map<std::string, OutcomeCounts> byDay;    // the same, by outcome
    std::map<std::int64_t, OutcomeCounts> byHour;  // hours since 1970 of each start
    std::vector<std::pair<int, long long>> durationPercentiles;  // (percent, seconds)
    std::vector<std::pair<std::string, int>> topPages;  // most asked for first, at most ten
};

class SummaryBuilder {
public:
    void Add(const Session& session);
    Summary Finish(const ReadCounts& read) const;

private:
    Summary summary;
    std::map<long long, int> durations;  // seconds, how many sessions lasted that long
    std::map<std::string, int> pages;    // at most kPagesKept; later new pages count as others
};

Summary Summarise(const std::vector<Session>& sessions, const ReadCounts& read);

// The nearest-rank percentile of counted values (0 for none).
long long Percentile(const std::map<long long, int>& counted, int total, int percent);
