#include "report/Options.h"

#include <cerrno>
#include <cstdlib>

namespace {

// More threads than this would only wait on one another and the disk.
constexpr unsigned long kJobsAtMost = 1024;

// A whole number from 1 to kJobsAtMost, written in decimal digits only; 0 for anything else.
unsigned JobsOf(const std::string& text) {
    if (text.empty() || text.find_first_not_of("0123456789") != std::string::npos) return 0;
    errno = 0;
    const unsigned long jobs = std::strtoul(text.c_str(), nullptr, 10);
    return errno == 0 && jobs <= kJobsAtMost ? static_cast<unsigned>(jobs) : 0;
}

}  // namespace

std::string ParseOptions(const std::vector<std::string>& arguments, Options& options) {
    for (size_t i = 0; i < arguments.size(); ++i) {
        const std::string& argument = arguments[i];
        std::string* path = argument == "--csv"          ? &options.csv
                            : argument == "--jsonl"      ? &options.jsonl
                            : argument == "--kiosks-csv" ? &options.kiosksCsv
                            : argument == "--prom"       ? &options.prom
                            : argument == "--html"       ? &options.html
                            : argument == "--state"      ? &options.state
                                                         : nullptr;
        const bool isTime = argument == "--since" || argument == "--until";
        if (path == nullptr && !isTime && argument != "--jobs") {
            if (argument.rfind("--", 0) == 0) return "unknown option " + argument;
            options.sources.push_back(argument);
            continue;
        }
        if (i + 1 >= arguments.size()) return argument + " needs a value";
        const std::string& value = arguments[++i];
        if (path != nullptr) {
            *path = value;
        } else if (argument == "--jobs") {
            options.jobs = JobsOf(value);
            if (options.jobs == 0) {
                return "--jobs " + value + ": not a number of threads from 1 to " +
                       std::to_string(kJobsAtMost);
            }
        } else {
            const auto time = ParseUtcTime(value);
            if (!time) {
                return argument + " " + value +
                       ": not a UTC time of the form YYYY-MM-DD or \"YYYY-MM-DD hh:mm:ss\"";
            }
            (argument == "--since" ? options.period.since : options.period.until) = time;
        }
    }
    if (options.state.empty() && !options.prom.empty() && options.prom != "-") {
        options.state = options.prom + ".state";
    }
    return options.sources.empty() ? "no log folder or file named" : "";
}
