// VistalyneLogReport: reads the session handler's log folders and files (a kiosk's, or a
// fleet's gathered under one root) in one pass and reports on the sessions they hold: a
// summary on the console and, on request, the sessions as CSV and JSON Lines, the kiosks as
// CSV, the metrics for Prometheus and an HTML page.

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <utility>
#include <string>
#include <thread>
#include <vector>

#include "report/ConsoleReport.h"
#include "report/CsvReport.h"
#include "report/HtmlReport.h"
#include "report/JsonLines.h"
#include "report/Kiosk.h"
#include "report/NewestTrouble.h"
#include "report/Options.h"
#include "report/OutputFile.h"
#include "report/Pipeline.h"
#include "report/Progress.h"
#include "report/PromMetrics.h"
#include "report/Summary.h"

namespace {

constexpr char kUsage[] =
    "usage: VistalyneLogReport [--since T] [--until T] [--csv FILE] [--jsonl FILE|-]\n"
    "                          [--kiosks-csv FILE] [--prom FILE] [--html FILE] [--jobs N]\n"
    "                          FOLDER_OR_FILE...\n"
    "Reads every *.log file under each folder (subfolders too: each folder of logs is one "
    "kiosk) and each file named, and reports on the sessions in them. T is UTC, YYYY-MM-DD or "
    "\"YYYY-MM-DD hh:mm:ss\": only sessions that started in [since, until) count. At most N "
    "threads read (default: one per core; 1 reads on the main thread alone).\n";

// One kiosk's folder of a few days gets the page with every session on it.
constexpr size_t kKioskPageSessionsAtMost = 5000;
constexpr size_t kKioskPageDaysAtMost = 7;

int Usage(const std::string& why) {
    if (!why.empty()) std::fprintf(stderr, "VistalyneLogReport: %s\n", why.c_str());
    std::fputs(kUsage, stderr);
    return 2;
}

}  // namespace

int main(int argc, char** argv) {
    Options options;
    const std::string wrong =
        ParseOptions(std::vector<std::string>(argv + 1, argv + argc), options);
    if (!wrong.empty()) return Usage(wrong);

    // Every output is opened before anything is read: a path that cannot be written fails now,
    // not after the whole fleet was read.
    OutputFile csv, jsonl, kiosksCsv, prom, html;
    const std::pair<OutputFile*, const std::string*> outputs[] = {{&csv, &options.csv},
                                                                  {&jsonl, &options.jsonl},
                                                                  {&kiosksCsv, &options.kiosksCsv},
                                                                  {&prom, &options.prom},
                                                                  {&html, &options.html}};
    for (const auto& output : outputs) {
        if (output.second->empty()) continue;
        if (!output.first->Open(*output.second, output.first == &prom)) {
            std::fprintf(stderr, "VistalyneLogReport: %s\n", output.first->Problem().c_str());
            return 1;
        }
    }
    csv.Write(std::string(kCsvHeader) + "\r\n");
    // The JSON Lines may take standard output; the summary then goes to standard error.
    std::FILE* console = options.jsonl == "-" ? stderr : stdout;

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
    const auto take = [&](FolderRead&& folder) {
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
            jsonl.Write(JsonLine(session));
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
    const WalkTrouble walk = ReadInOrder(options.sources, workers, progress, take, tick);
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
    const std::string consoleText = ConsoleText(finished, kiosks);
    std::fwrite(consoleText.data(), 1, consoleText.size(), console);
    kiosksCsv.Write(KiosksCsvText(kiosks));
    const bool readWhole = walk.missing.empty() && walk.unlisted.empty();
    if (prom.IsOpen() && !readWhole) {
        // Metrics of part of the logs would make series vanish, and no alert could fire: the
        // last whole ones stay, and go stale for the alert that watches them.
        prom.Abandon();
        std::fprintf(stderr, "VistalyneLogReport: %s: not replaced, as not every log was read\n",
                     options.prom.c_str());
    } else if (prom.IsOpen()) {
        std::vector<Kiosk> byFolder = kiosks;
        std::sort(byFolder.begin(), byFolder.end(),
                  [](const Kiosk& a, const Kiosk& b) { return a.folder < b.folder; });
        prom.Write(PromText(byFolder));
    }
    if (html.IsOpen()) {
        const bool kioskSized = oneKiosk && finished.perDay.size() <= kKioskPageDaysAtMost;
        html.Write(kioskSized
                       ? HtmlPage(finished, kioskPage)
                       : FleetPage(finished, kiosks, trouble.NewestFirst(), trouble.InAll()));
    }
    bool written = true;
    for (const auto& output : outputs) {
        if (output.first->Finish()) continue;
        std::fprintf(stderr, "VistalyneLogReport: %s\n", output.first->Problem().c_str());
        written = false;
    }
    return written && readWhole ? 0 : 1;
}
