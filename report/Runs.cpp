#include "report/Runs.h"

#include <algorithm>
#include <iterator>

#include "report/Message.h"

namespace {

// How a rotation notice and the banner of the next file can lie apart: they are written one
// after the other, within the same second but for a tick of the clock.
constexpr std::int64_t kRotationGapSeconds = 2;

MessageKind KindOf(const LogLine& line) {
    return RecogniseMessage(line.code, line.text).kind;
}

enum class Opening { kNewRun, kAfterRotation, kAfterMissingFile, kUnknown };

Opening OpeningOf(const ParsedFile& file) {
    const MessageKind first = KindOf(file.lines.front());
    if (first == MessageKind::kBannerNew) return Opening::kNewRun;
    if (first == MessageKind::kBannerNext) return Opening::kAfterRotation;
    if (first == MessageKind::kMissingNotice) return Opening::kAfterMissingFile;
    return Opening::kUnknown;
}

bool IsClosed(const LogRun& run) {
    const MessageKind last = KindOf(run.lines.back());
    return last == MessageKind::kClosing || last == MessageKind::kExitWarning;
}

bool EndsWithRotation(const LogRun& run) {
    return KindOf(run.lines.back()) == MessageKind::kRotationNotice;
}

// The open run of the folder that the file goes on from, or -1.
int RunContinued(const std::vector<LogRun>& runs, const LogFileInput& file, Opening opening) {
    const std::int64_t opened = file.parsed.lines.front().time.Seconds();
    int best = -1;
    std::int64_t bestGap = 0;
    for (size_t i = 0; i < runs.size(); ++i) {
        const LogRun& run = runs[i];
        if (run.folder != file.folder || IsClosed(run)) continue;
        const std::int64_t gap = opened - run.lines.back().time.Seconds();
        if (gap < 0) continue;
        if (opening == Opening::kAfterRotation &&
            (!EndsWithRotation(run) || gap > kRotationGapSeconds)) {
            continue;
        }
        if (opening == Opening::kAfterMissingFile && EndsWithRotation(run)) continue;
        if (best < 0 || gap < bestGap) {
            best = static_cast<int>(i);
            bestGap = gap;
        }
    }
    return best;
}

}  // namespace

std::vector<LogRun> JoinIntoRuns(std::vector<LogFileInput> files) {
    files.erase(std::remove_if(files.begin(), files.end(),
                               [](const LogFileInput& f) { return f.parsed.lines.empty(); }),
                files.end());
    // In the order they were started: by their first line, then by name (which holds the
    // start to the millisecond's remainder).
    std::stable_sort(files.begin(), files.end(), [](const LogFileInput& a, const LogFileInput& b) {
        const std::int64_t ta = a.parsed.lines.front().time.Seconds();
        const std::int64_t tb = b.parsed.lines.front().time.Seconds();
        return ta != tb ? ta < tb : a.name < b.name;
    });
    std::vector<LogRun> runs;
    for (LogFileInput& file : files) {
        const Opening opening = OpeningOf(file.parsed);
        const bool continues =
            opening == Opening::kAfterRotation || opening == Opening::kAfterMissingFile;
        const int continued = continues ? RunContinued(runs, file, opening) : -1;
        if (continued < 0) {
            runs.push_back(LogRun{file.folder, {}, 0});
        }
        LogRun& run = continued < 0 ? runs.back() : runs[static_cast<size_t>(continued)];
        run.lines.insert(run.lines.end(), std::make_move_iterator(file.parsed.lines.begin()),
                         std::make_move_iterator(file.parsed.lines.end()));
        ++run.files;
    }
    return runs;
}
