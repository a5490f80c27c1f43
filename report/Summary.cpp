#include "report/Summary.h"

#include <algorithm>

namespace {

constexpr size_t kTopPages = 10;
constexpr size_t kPagesKept = 10000;  // page names are anybody's: their count must not grow
constexpr char kOtherPages[] = "(other pages)";
constexpr int kPercents[] = {50, 90, 99, 100};

}  // namespace

long long Percentile(const std::map<long long, int>& counted, int total, int percent) {
    if (total <= 0) return 0;
    const long long rank =
        std::max<long long>((static_cast<long long>(total) * percent + 99) / 100, 1);
    long long seen = 0;
    for (const auto& value : counted) {
        seen += value.second;
        if (seen >= rank) return value.first;
    }
    return counted.rbegin()->first;
}

void SummaryBuilder::Add(const Session& session) {
    if (session.open) {
        ++summary.inProgress;
        return;
    }
    if (summary.sessions == 0 || session.start < summary.first) summary.first = session.start;
    if (summary.sessions == 0 || summary.last < session.end) summary.last = session.end;
    ++summary.sessions;
    const auto outcome = static_cast<size_t>(session.outcome);
    ++summary.byOutcome[outcome];
    if (!session.cleanShutdown) ++summary.uncleanShutdowns;
    const std::string day = session.start.DateText();
    ++summary.perDay[day];
    ++summary.byDay[day][outcome];
    ++summary.byHour[session.start.Seconds() / 3600][outcome];
    ++durations[session.DurationSeconds()];
    const auto page = pages.find(session.page);
    if (page != pages.end()) {
        ++page->second;
    } else if (pages.size() < kPagesKept) {
        pages.emplace(session.page, 1);
    } else {
        ++pages[kOtherPages];
    }
}

Summary SummaryBuilder::Finish(const ReadCounts& read) const {
    Summary finished = summary;
    finished.read = read;
    for (const int percent : kPercents) {
        finished.durationPercentiles.emplace_back(
            percent, Percentile(durations, finished.sessions, percent));
    }
    finished.topPages.assign(pages.begin(), pages.end());
    std::stable_sort(finished.topPages.begin(), finished.topPages.end(),
                     [](const auto& a, const auto& b) { return a.second > b.second; });
    if (finished.topPages.size() > kTopPages) finished.topPages.resize(kTopPages);
    return finished;
}

Summary Summarise(const std::vector<Session>& sessions, const ReadCounts& read) {
    SummaryBuilder builder;
    for (const Session& session : sessions) builder.Add(session);
    return builder.Finish(read);
}
