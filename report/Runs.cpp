#include "report/Runs.h"

#include <algorithm>
#include <limits>
#include <map>
#include <set>
#include <utility>

namespace {

// How a rotation notice and the banner of the next file can lie apart: they are written one
// after the other, within the same second but for a tick of the clock.
constexpr std::int64_t kRotationGapSeconds = 2;

bool IsClosed(const RunState& run) {
    return run.lastKind == MessageKind::kClosing || run.lastKind == MessageKind::kExitWarning;
}

// The runs of one folder that a later file may go on from, by the time they wrote last. A key
// is (last time, minus the run's index): the greatest key at or before a time is the run that
// wrote last before it, the first-started one among runs that wrote last in the same second.
class OpenRuns {
public:
    void Put(const LogRun& run, int index) {
        if (IsClosed(run.state)) return;
        SetOf(run.state).insert({run.state.last.Seconds(), -index});
    }
    void Remove(const LogRun& run, int index) {
        SetOf(run.state).erase({run.state.last.Seconds(), -index});
    }
    // The run a file opening at that time with that kind goes on from, or -1.
    int Continued(MessageKind opening, std::int64_t opened) const {
        const bool afterRotation = opening == MessageKind::kBannerNext;
        const std::set<Key>& candidates = afterRotation ? rotated : plain;
        auto it = candidates.upper_bound({opened, std::numeric_limits<int>::max()});
        if (it == candidates.begin()) return -1;
        --it;
        if (afterRotation && opened - it->first > kRotationGapSeconds) return -1;
        return -it->second;
    }

private:
    using Key = std::pair<std::int64_t, int>;
    std::set<Key>& SetOf(const RunState& run) {
        return run.lastKind == MessageKind::kRotationNotice ? rotated : plain;
    }
    std::set<Key> rotated;  // ended with a rotation notice: a "next" file goes on from these
    std::set<Key> plain;    // a file that replaced a lost one goes on from these
};

}  // namespace

std::vector<LogRun> JoinIntoRuns(std::vector<LogFileInput> files) {
    files.erase(std::remove_if(files.begin(), files.end(),
                               [](const LogFileInput& f) { return f.state.empty; }),
                files.end());
    // In the order they were started: by their first line, then by name (which holds the
    // start to the millisecond's remainder).
    std::stable_sort(files.begin(), files.end(), [](const LogFileInput& a, const LogFileInput& b) {
        const std::int64_t ta = a.state.first.Seconds();
        const std::int64_t tb = b.state.first.Seconds();
        return ta != tb ? ta < tb : a.name < b.name;
    });
    std::vector<LogRun> runs;
    std::map<std::string, OpenRuns> open;  // by folder
    for (LogFileInput& file : files) {
        OpenRuns& folderRuns = open[file.folder];
        const MessageKind opening = file.state.firstKind;
        const bool continues =
            opening == MessageKind::kBannerNext || opening == MessageKind::kMissingNotice;
        const int continued =
            continues ? folderRuns.Continued(opening, file.state.first.Seconds()) : -1;
        if (continued < 0) {
            runs.push_back(LogRun{file.folder, std::move(file.state), 1, false, {file.name}});
            folderRuns.Put(runs.back(), static_cast<int>(runs.size() - 1));
            continue;
        }
        LogRun& run = runs[static_cast<size_t>(continued)];
        folderRuns.Remove(run, continued);
        run.state.Continue(file.state);
        ++run.files;
        run.fileNames.push_back(file.name);
        folderRuns.Put(run, continued);
    }
    // Settled: closed, or some run started after it at or after its last line (runs started
    // side by side may both still be going on).
    std::map<std::string, std::int64_t> latestLaterStart;  // by folder, of the runs after
    for (auto run = runs.rbegin(); run != runs.rend(); ++run) {
        const auto later = latestLaterStart.find(run->folder);
        run->settled = IsClosed(run->state) || (later != latestLaterStart.end() &&
                                                later->second >= run->state.last.Seconds());
        std::int64_t& latest = latestLaterStart[run->folder];
        if (later == latestLaterStart.end() || latest < run->state.first.Seconds()) {
            latest = run->state.first.Seconds();
        }
    }
    return runs;
}
