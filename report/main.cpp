// VistalyneLogReport: reads the session handler's log folders and files and reports on the
// sessions they hold: a summary on the console, and on request a CSV file and an HTML page.
//
//   VistalyneLogReport [--csv FILE] [--html FILE] FOLDER_OR_FILE...

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <string>
#include <vector>

#include "report/ConsoleReport.h"
#include "report/CsvReport.h"
#include "report/HtmlReport.h"
#include "report/LogSource.h"
#include "report/Runs.h"
#include "report/Session.h"
#include "report/Summary.h"

namespace {

constexpr size_t kProgressFrom = 50;  // fewer files read too fast to need a progress line

int Usage() {
    std::fprintf(stderr,
                 "usage: VistalyneLogReport [--csv FILE] [--html FILE] FOLDER_OR_FILE...\n"
                 "Reads every *.log file of each folder (and each file named) and reports on "
                 "the sessions in them.\n");
    return 2;
}

bool WriteFile(const std::string& path, const std::string& text) {
    std::ofstream out(path, std::ios::binary);
    out << text;
    return static_cast<bool>(out);
}

}  // namespace

int main(int argc, char** argv) {
    std::string csvPath;
    std::string htmlPath;
    std::vector<std::string> sources;
    for (int i = 1; i < argc; ++i) {
        const std::string argument = argv[i];
        if ((argument == "--csv" || argument == "--html") && i + 1 < argc) {
            (argument == "--csv" ? csvPath : htmlPath) = argv[++i];
        } else if (argument.rfind("--", 0) == 0) {
            return Usage();
        } else {
            sources.push_back(argument);
        }
    }
    if (sources.empty()) return Usage();

    const SourceRead read = ReadLogSources(sources, [](size_t done, size_t all) {
        if (all < kProgressFrom) return;
        if (done % 25 == 0 || done == all) {
            std::fprintf(stderr, "\rReading log files: %zu of %zu", done, all);
            if (done == all) std::fprintf(stderr, "\n");
        }
    });
    for (const std::string& missing : read.missing) {
        std::fprintf(stderr, "no log folder or file: %s\n", missing.c_str());
    }
    std::vector<Session> sessions;
    for (const LogRun& run : JoinIntoRuns(read.files)) sessions.push_back(SessionOf(run));
    std::stable_sort(sessions.begin(), sessions.end(),
                     [](const Session& a, const Session& b) { return a.start < b.start; });
    const Summary summary = Summarise(sessions, read.counts);

    std::fputs(ConsoleText(summary).c_str(), stdout);
    bool written = true;
    if (!csvPath.empty()) written = WriteFile(csvPath, CsvText(sessions)) && written;
    if (!htmlPath.empty()) written = WriteFile(htmlPath, HtmlPage(summary, sessions)) && written;
    if (!written) std::fprintf(stderr, "could not write the report file\n");
    return written && read.missing.empty() ? 0 : 1;
}
