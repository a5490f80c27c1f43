#include "report/Summary.h"

#include <algorithm>

namespace {

constexpr size_t kTopPages = 10;
constexpr int kPercents[] = {50, 90, 99, 100};

}  // namespace

long long Percentile(const std::vector<long long>& sorted, int percent) {
    if (sorted.empty()) return 0;
    const size_t rank = (sorted.size() * static_cast<size_t>(percent) + 99) / 100;
    return sorted[std::max<size_t>(rank, 1) - 1];
}

Summary Summarise(const std::vector<Session>& sessions, const ReadCounts& read) {
    Summary summary;
    summary.read = read;
    summary.sessions = static_cast<int>(sessions.size());
    std::vector<long long> durations;
    std::map<std::string, int> pages;
    for (const Session& session : sessions) {
        if (durations.empty() || session.start < summary.first) summary.first = session.start;
        if (durations.empty() || summary.last < session.end) summary.last = session.end;
        ++summary.byOutcome[static_cast<size_t>(session.outcome)];
        if (!session.cleanShutdown) ++summary.uncleanShutdowns;
        ++summary.perDay[session.start.DateText()];
        ++pages[session.page];
        durations.push_back(session.DurationSeconds());
    }
    std::sort(durations.begin(), durations.end());
    for (const int percent : kPercents) {
        summary.durationPercentiles.emplace_back(percent, Percentile(durations, percent));
    }
    summary.topPages.assign(pages.begin(), pages.end());
    std::stable_sort(summary.topPages.begin(), summary.topPages.end(),
                     [](const auto& a, const auto& b) { return a.second > b.second; });
    if (summary.topPages.size() > kTopPages) summary.topPages.resize(kTopPages);
    return summary;
}
