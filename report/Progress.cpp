#include "report/Progress.h"

#include <cstdio>
#include <filesystem>
#include <system_error>

#include "report/LogSource.h"

#ifdef _WIN32
#include <io.h>
#define VSH_ISATTY(file) _isatty(_fileno(file))
#else
#include <unistd.h>
#define VSH_ISATTY(file) isatty(fileno(file))
#endif

bool StandardErrorIsTerminal() {
    return VSH_ISATTY(stderr) != 0;
}

SourceTotals CountLogSources(const std::vector<std::string>& arguments) {
    SourceTotals totals;
    WalkLogSources(arguments, [&totals](LogFolder&& folder) {
        for (size_t file = 0; file < folder.names.size(); ++file) {
            std::error_code error;
            const auto size = std::filesystem::file_size(folder.PathOf(file), error);
            ++totals.files;
            if (!error) totals.bytes += size;
        }
    });
    return totals;
}

std::string ProgressLine(std::uint64_t files, std::uint64_t bytes, const SourceTotals& all,
                         double seconds) {
    constexpr double kMegabyte = 1e6;
    const double rate = seconds > 0 ? bytes / kMegabyte / seconds : 0;
    const double left = rate > 0 && all.bytes > bytes ? (all.bytes - bytes) / kMegabyte / rate : 0;
    char line[160];
    std::snprintf(
        line, sizeof(line), "\rRead %llu of %llu files, %.0f of %.0f MB, %.0f MB/s, %.0f s left   ",
        static_cast<unsigned long long>(files), static_cast<unsigned long long>(all.files),
        bytes / kMegabyte, all.bytes / kMegabyte, rate, left);
    return line;
}
