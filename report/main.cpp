// VistalyneLogReport: reads the session handler's log folders and files (a kiosk's, or a
// fleet's gathered under one root) in one pass and reports on the sessions they hold: a
// summary on the console and, on request, the sessions as CSV and JSON Lines, the kiosks as
// CSV, the metrics for Prometheus and an HTML page.

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <utility>
#include <string>
#include <thread>
#include <vector>

#include "report/ConsoleReport.h"
#include "report/CsvReport.h"
#include "report/FolderTally.h"
#include "report/HtmlReport.h"
#include "report/JsonLines.h"
#include "report/Kiosk.h"
#include "report/NewestTrouble.h"
#include "report/Options.h"
#include "report/OutputFile.h"
#include "report/Pipeline.h"
#include "report/Progress.h"
#include "report/PromMetrics.h"
#include "report/StateFile.h"
#include "report/Summary.h"
#include "report/Text.h"

namespace {

constexpr char kUsage[] =
    "usage: VistalyneLogReport [--since T] [--until T] [--csv FILE] [--jsonl FILE|-]\n"
    "                          [--kiosks-csv FILE] [--prom FILE] [--html FILE] [--jobs N]\n"
    "                          [--state FILE] FOLDER_OR_FILE...\n"
    "Reads every *.log file under each folder (subfolders too: each folder of logs is one "
    "kiosk) and each file named, and reports on the sessions in them. T is UTC, YYYY-MM-DD or "
    "\"YYYY-MM-DD hh:mm:ss\": only sessions that started in [since, until) count. At most N "
    "threads read (default: one per core; 1 reads on the main thread alone).\n"
    "With a state (--state FILE, or FILE.state beside --prom FILE) the metrics count each "
    "session once, when it settles, in counters that never go down; a run reads only what is "
    "new unless --csv, --kiosks-csv or --html ask for the whole history; --jsonl FILE appends "
    "each session once, when it settles.\n";

// How long a run waits for another that holds the state: one scheduled run after another.
constexpr auto kStateWait = std::chrono::seconds(10);

// One kiosk's folder of a few days gets the page with every session on it.
constexpr size_t kKioskPageSessionsAtMost = 5000;
constexpr size_t kKioskPageDaysAtMost = 7;

int Usage(const std::string& why) {
    if (!why.empty()) std::fprintf(stderr, "VistalyneLogReport: %s\n", why.c_str());
    std::fputs(kUsage, stderr);
    return 2;
}

// The few lines the console shows for a run that read only what was new.
std::string TallyText(const std::string& state, size_t kiosks, int filesOpened, std::uint64_t bytes,
                      int settled, int open) {
    return "State: " + state + "\n  Kiosk folders:     " + std::to_string(kiosks) +
           "\n  Log files opened:  " + std::to_string(filesOpened) + " (" + std::to_string(bytes) +
           " bytes)\n  Sessions settled since the last run: " + std::to_string(settled) +
           "\n  Sessions in progress: " + std::to_string(open) + "\n";
}

}  // namespace

int main(int argc, char** argv) {
    Options options;
    const std::string wrong =
        ParseOptions(std::vector<std::string>(argv + 1, argv + argc), options);
    if (!wrong.empty()) return Usage(wrong);
    const bool keepsCount = !options.state.empty();
    // Pages and tables show the whole history: with a state, they have every file read again.
    const bool readWhole =
        !keepsCount || !options.csv.empty() || !options.kiosksCsv.empty() || !options.html.empty();
    // With a state, JSON Lines go to the end of their file, each session once, when it settles.
    const bool appendsLines = keepsCount && !options.jsonl.empty() && options.jsonl != "-";

    // Every output is opened before anything is read: a path that cannot be written fails now,
    // not after the whole fleet was read.
    OutputFile csv, jsonl, kiosksCsv, prom, html;
    const std::pair<OutputFile*, const std::string*> outputs[] = {{&csv, &options.csv},
                                                                  {&jsonl, &options.jsonl},
                                                                  {&kiosksCsv, &options.kiosksCsv},
                                                                  {&prom, &options.prom},
                                                                  {&html, &options.html}};
    for (const auto& output : outputs) {
        if (output.second->empty() || (output.first == &jsonl && appendsLines)) continue;
        if (!output.first->Open(*output.second, output.first == &prom)) {
            std::fprintf(stderr, "VistalyneLogReport: %s\n", output.first->Problem().c_str());
            return 1;
        }
    }
    std::string why;
    if (appendsLines) {  // appended to, never replaced: only made here when there is none
        std::FILE* lines = std::fopen(options.jsonl.c_str(), "ab");
        if (lines == nullptr) {
            std::fprintf(stderr, "VistalyneLogReport: %s: cannot be appended to: %s\n",
                         options.jsonl.c_str(), std::strerror(errno));
            return 1;
        }
        std::fclose(lines);
    }
    csv.Write(std::string(kCsvHeader) + "\r\n");
    // The JSON Lines may take standard output; the summary then goes to standard error.
    std::FILE* console = options.jsonl == "-" ? stderr : stdout;

    StateLock lock;
    LoadedState last;
    if (keepsCount) {
        if (!lock.Take(options.state, kStateWait, why)) {
            std::fprintf(stderr, "VistalyneLogReport: %s\n", why.c_str());
            return 1;
        }
        last = LoadState(options.state);
        if (!last.note.empty()) std::fprintf(stderr, "VistalyneLogReport: %s\n", last.note.c_str());
        // What a run killed while it appended left undone.
        if (appendsLines && last.state.pending) {
            const bool appended = AppendPending(options.jsonl, *last.state.pending, why);
            if (!why.empty()) std::fprintf(stderr, "VistalyneLogReport: %s\n", why.c_str());
            if (!appended) return 1;
            why.clear();
        }
    }
    // The lines of the sessions settled since the last run: beside the JSON Lines until the
    // state names them, then appended.
    OutputFile pending;
    if (appendsLines && !pending.Open(PendingPath(options.jsonl))) {
        std::fprintf(stderr, "VistalyneLogReport: %s\n", pending.Problem().c_str());
        return 1;
    }
    OutputFile& settledLines = appendsLines ? pending : jsonl;
    const std::int64_t now = std::chrono::duration_cast<std::chrono::seconds>(
                                 std::chrono::system_clock::now().time_since_epoch())
                                 .count();
    const ReadFolder readFolder =
        keepsCount ? ReadFolder([&](const LogFolder& folder, std::string& buffer) {
            const auto kept = last.state.folders.find(ValidUtf8(folder.folder));
            return TallyFolder(folder, kept != last.state.folders.end() ? &kept->second : nullptr,
                               !last.found, readWhole, now, buffer);
        })
                   : ReadFolder(ReadLogFolder);

    const bool showProgress = StandardErrorIsTerminal();
    const SourceTotals totals = showProgress ? CountLogSources(options.sources) : SourceTotals{};
    const auto started = std::chrono::steady_clock::now();
    ReadProgress progress;
    const auto tick = [&] {
        if (!showProgress) return;
        const std::chrono::duration<double> seconds = std::chrono::steady_clock::now() - started;
        std::fputs(ProgressLine(progress.files, progress.bytes, totals, seconds.count()).c_str(),
                   stderr);
    };

    SummaryBuilder summary;
    ReadCounts read;
    std::vector<Kiosk> kiosks;
    NewestTrouble trouble(kFleetTroubleShown);
    std::vector<Session> kioskPage;  // while the logs are still one kiosk's few days
    bool oneKiosk = true;
    std::vector<Session> inPeriod;
    CountState next;             // the state this run leaves
    std::vector<Kiosk> counted;  // the kept counts, for the metrics
    int filesOpened = 0, settled = 0, open = 0;
    const auto take = [&](FolderRead&& folder) {
        if (keepsCount) {
            if (next.folders.count(folder.folder) != 0) {
                std::fprintf(stderr, "folder read as the kiosk before it, whose name it has: %s\n",
                             folder.folder.c_str());
                return;
            }
            Kiosk kiosk = folder.count->counted;
            next.folders.emplace(folder.folder, std::move(*folder.count));
            filesOpened += folder.filesOpened;
            for (const Session& session : folder.settled) {
                if (options.period.Holds(session.start)) settledLines.Write(JsonLine(session));
            }
            settled += static_cast<int>(folder.settled.size());
            for (const Session& session : folder.sessions) {
                if (session.open) AddSession(kiosk, session);
            }
            open += kiosk.open;
            counted.push_back(std::move(kiosk));
        }
        inPeriod.clear();
        for (Session& session : folder.sessions) {
            if (options.period.Holds(session.start)) inPeriod.push_back(std::move(session));
        }
        read.Add(folder.counts);
        kiosks.push_back(KioskOf(folder.folder, inPeriod, folder.counts));
        if (!inPeriod.empty() && !kioskPage.empty() && kioskPage.front().folder != folder.folder) {
            oneKiosk = false;
        }
        for (const Session& session : inPeriod) {
            summary.Add(session);
            if (session.open) continue;  // in progress: shown in the summary only
            csv.Write(CsvRow(session));
            if (!keepsCount) jsonl.Write(JsonLine(session));
            if (session.InTrouble()) trouble.Offer(session);
            if (oneKiosk && kioskPage.size() <= kKioskPageSessionsAtMost) {
                kioskPage.push_back(session);
            }
        }
        if (!oneKiosk || kioskPage.size() > kKioskPageSessionsAtMost) {
            oneKiosk = false;
            std::vector<Session>().swap(kioskPage);
        }
    };
    const unsigned workers =
        options.jobs != 0 ? options.jobs : std::max(1u, std::thread::hardware_concurrency());
    const WalkTrouble walk =
        ReadInOrder(options.sources, workers, progress, readFolder, take, tick);
    if (showProgress) std::fputs("\n", stderr);
    for (const std::string& argument : walk.missing) {
        std::fprintf(stderr, "no log folder or file: %s\n", argument.c_str());
    }
    for (const std::string& folder : walk.unlisted) {
        std::fprintf(stderr, "folder not read: %s\n", folder.c_str());
    }

    read.unlistedFolders = static_cast<int>(walk.unlisted.size());
    const Summary finished = summary.Finish(read);
    SortWorstFirst(kiosks);
    const std::string consoleText =
        readWhole ? ConsoleText(finished, kiosks)
                  : TallyText(options.state, counted.size(), filesOpened,
                              static_cast<std::uint64_t>(progress.bytes), settled, open);
    std::fwrite(consoleText.data(), 1, consoleText.size(), console);
    kiosksCsv.Write(KiosksCsvText(kiosks));
    const bool readComplete = walk.missing.empty() && walk.unlisted.empty();
    if (keepsCount) {
        // A kiosk whose logs are gone keeps its counts: they never go down.
        for (const auto& kept : last.state.folders) {
            if (next.folders.emplace(kept).second) counted.push_back(kept.second.counted);
        }
    } else {
        counted = kiosks;
    }
    bool written = true;
    if (prom.IsOpen() && !readComplete) {
        // Metrics of part of the logs would make series vanish, and no alert could fire: the
        // last whole ones stay, and go stale for the alert that watches them.
        prom.Abandon();
        std::fprintf(stderr, "VistalyneLogReport: %s: not replaced, as not every log was read\n",
                     options.prom.c_str());
    } else if (prom.IsOpen()) {
        std::sort(counted.begin(), counted.end(),
                  [](const Kiosk& a, const Kiosk& b) { return a.folder < b.folder; });
        prom.Write(PromText(counted));
    }
    bool pendingKept = false;
    if (keepsCount && readComplete) {
        // The state first: the metrics and the lines appended follow what it says.
        written = !appendsLines || pending.Finish(true);
        if (!written) why = pending.Problem();
        const std::uint64_t lines = appendsLines ? FileSize(PendingPath(options.jsonl)) : 0;
        if (lines > 0) next.pending = PendingLines{FileSize(options.jsonl), lines};
        written = written && SaveState(options.state, next, why);
        if (written && next.pending) {
            pendingKept = true;  // the next run finishes what this one cannot
            written = AppendPending(options.jsonl, *next.pending, why);
            next.pending.reset();
            written = written && SaveState(options.state, next, why);
        }
        if (!written) {
            prom.Abandon();
            std::fprintf(stderr, "VistalyneLogReport: %s\n", why.c_str());
        } else if (!why.empty()) {
            std::fprintf(stderr, "VistalyneLogReport: %s\n", why.c_str());
        }
    } else if (keepsCount) {
        std::fprintf(stderr, "VistalyneLogReport: %s: kept as it was, as not every log was read\n",
                     options.state.c_str());
    }
    if (appendsLines && !pendingKept) {  // lines no state names
        pending.Abandon();
        std::error_code ignored;
        std::filesystem::remove(PendingPath(options.jsonl), ignored);
    }
    if (html.IsOpen()) {
        const bool kioskSized = oneKiosk && finished.perDay.size() <= kKioskPageDaysAtMost;
        html.Write(kioskSized
                       ? HtmlPage(finished, kioskPage)
                       : FleetPage(finished, kiosks, trouble.NewestFirst(), trouble.InAll()));
    }
    for (const auto& output : outputs) {
        if (output.first->Finish()) continue;
        std::fprintf(stderr, "VistalyneLogReport: %s\n", output.first->Problem().c_str());
        written = false;
    }
    return written && readComplete ? 0 : 1;
}
