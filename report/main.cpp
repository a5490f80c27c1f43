// VistalyneLogReport: reads the session handler's log folders and files (a kiosk's, or a
// fleet's gathered under one root) in one pass and reports on the sessions they hold: a
// summary on the console and, on request, the sessions as CSV and JSON Lines, the kiosks as
// CSV, the metrics for Prometheus and an HTML page.

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <memory>
#include <queue>
#include <string>
#include <thread>
#include <vector>

#include "report/ConsoleReport.h"
#include "report/CsvReport.h"
#include "report/HtmlReport.h"
#include "report/JsonLines.h"
#include "report/Kiosk.h"
#include "report/Options.h"
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
constexpr size_t kOutputBufferBytes = 1 << 20;

int Usage(const std::string& why) {
    if (!why.empty()) std::fprintf(stderr, "VistalyneLogReport: %s\n", why.c_str());
    std::fputs(kUsage, stderr);
    return 2;
}

struct FileCloser {
    void operator()(std::FILE* file) const {
        if (file != nullptr && file != stdout) std::fclose(file);
    }
};
using OutputFile = std::unique_ptr<std::FILE, FileCloser>;

OutputFile OpenOutput(const std::string& path) {
    std::FILE* file = path == "-" ? stdout : std::fopen(path.c_str(), "wb");
    if (file != nullptr) std::setvbuf(file, nullptr, _IOFBF, kOutputBufferBytes);
    return OutputFile(file);
}

bool WriteWhole(const std::string& path, const std::string& text) {
    OutputFile file = OpenOutput(path);
    if (!file) return false;
    const bool written = std::fwrite(text.data(), 1, text.size(), file.get()) == text.size();
    std::FILE* done = file.release();
    return (done == stdout ? std::fflush(done) : std::fclose(done)) == 0 && written;
}

// Written beside the file and renamed over it, so a collector never reads half a file.
bool WriteReplacing(const std::string& path, const std::string& text) {
    const std::string temporary = path + ".tmp";
    if (!WriteWhole(temporary, text)) return false;
    std::error_code error;
    std::filesystem::rename(temporary, path, error);
    if (error) std::filesystem::remove(temporary, error);
    return !error;
}

// The newest sessions in trouble, at most a page's worth, gathered as they go by.
class NewestTrouble {
public:
    void Offer(const Session& session) {
        ++inAll;
        kept.push(session);
        if (kept.size() > kFleetTroubleShown) kept.pop();
    }
    std::vector<Session> NewestFirst() {
        std::vector<Session> sessions;
        for (; !kept.empty(); kept.pop()) sessions.push_back(kept.top());
        std::reverse(sessions.begin(), sessions.end());
        return sessions;
    }
    int inAll = 0;

private:
    struct Newer {
        bool operator()(const Session& a, const Session& b) const { return b.start < a.start; }
    };
    std::priority_queue<Session, std::vector<Session>, Newer> kept;  // the oldest on top
};

}  // namespace

int main(int argc, char** argv) {
    Options options;
    const std::string wrong =
        ParseOptions(std::vector<std::string>(argv + 1, argv + argc), options);
    if (!wrong.empty()) return Usage(wrong);

    bool written = true;
    OutputFile csv, jsonl;
    if (!options.csv.empty() && (csv = OpenOutput(options.csv))) {
        std::fputs((std::string(kCsvHeader) + "\r\n").c_str(), csv.get());
    }
    if (!options.jsonl.empty()) jsonl = OpenOutput(options.jsonl);
    written = (options.csv.empty() || csv) && (options.jsonl.empty() || jsonl);
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
    NewestTrouble trouble;
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
            if (csv) std::fputs(CsvRow(session).c_str(), csv.get());
            if (jsonl) std::fputs(JsonLine(session).c_str(), jsonl.get());
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
    const std::vector<std::string> missing =
        ReadInOrder(options.sources, workers, progress, take, tick);
    if (showProgress) std::fputs("\n", stderr);
    for (const std::string& argument : missing) {
        std::fprintf(stderr, "no log folder or file: %s\n", argument.c_str());
    }

    const Summary finished = summary.Finish(read);
    SortWorstFirst(kiosks);
    std::fputs(ConsoleText(finished, kiosks).c_str(), console);
    for (OutputFile* file : {&csv, &jsonl}) {
        if (*file && (std::ferror(file->get()) || std::fflush(file->get()) != 0)) written = false;
        file->reset();
    }
    if (!options.kiosksCsv.empty())
        written = WriteWhole(options.kiosksCsv, KiosksCsvText(kiosks)) && written;
    if (!options.prom.empty()) {
        std::vector<Kiosk> byFolder = kiosks;
        std::sort(byFolder.begin(), byFolder.end(),
                  [](const Kiosk& a, const Kiosk& b) { return a.folder < b.folder; });
        written = WriteReplacing(options.prom, PromText(byFolder)) && written;
    }
    if (!options.html.empty()) {
        const bool kioskSized = oneKiosk && finished.perDay.size() <= kKioskPageDaysAtMost;
        const std::string page =
            kioskSized ? HtmlPage(finished, kioskPage)
                       : FleetPage(finished, kiosks, trouble.NewestFirst(), trouble.inAll);
        written = WriteWhole(options.html, page) && written;
    }
    if (!written) std::fprintf(stderr, "could not write a report file\n");
    return written && missing.empty() ? 0 : 1;
}
