#include "report/ConsoleReport.h"

#include <cstdarg>
#include <cstdio>

#include "report/Text.h"

namespace {

std::string Line(const char* format, ...) {
    char buffer[512];
    va_list arguments;
    va_start(arguments, format);
    std::vsnprintf(buffer, sizeof(buffer), format, arguments);
    va_end(arguments);
    return std::string(buffer) + "\n";
}

double Share(int part, int whole) {
    return whole > 0 ? 100.0 * part / whole : 0.0;
}

// A page name in a column of the given width: each byte of the log is one character of its
// code page, so pad by bytes before converting; control characters (a hostile command line
// can carry escape sequences) are shown as "?" rather than sent to the terminal.
std::string PageColumn(const std::string& page, size_t width) {
    std::string shown = page.empty() ? "(no page)" : page;
    for (char& c : shown) {
        if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F) c = '?';
    }
    if (shown.size() < width) shown.append(width - shown.size(), ' ');
    return AnsiToUtf8(shown);
}

}  // namespace

std::string ConsoleText(const Summary& summary) {
    std::string text = "Vistalyne session report\n";
    text += Line("Files read:        %d (%d unreadable: empty or not a session log)",
                 summary.read.files, summary.read.unreadableFiles);
    text +=
        Line("Unreadable lines:  %d (torn, garbled or cut short)", summary.read.unreadableLines);
    if (summary.sessions == 0) return text + "Sessions:          none found\n";
    text += Line("Period (UTC):      %s to %s", summary.first.Text().c_str(),
                 summary.last.Text().c_str());
    text += Line("Sessions:          %d", summary.sessions);
    text += Line(
        "Unclean shutdowns: %d (%.1f%%): the log was not closed by the program's own "
        "shut-down",
        summary.uncleanShutdowns, Share(summary.uncleanShutdowns, summary.sessions));
    text += "\nOutcome        sessions   share\n";
    for (int i = 0; i < kOutcomeCount; ++i) {
        const int count = summary.byOutcome[static_cast<size_t>(i)];
        text += Line("%-12s %10d  %5.1f%%", OutcomeName(static_cast<Outcome>(i)), count,
                     Share(count, summary.sessions));
    }
    text += "\nSessions per day (by start, UTC)\n";
    for (const auto& day : summary.perDay) text += Line("%s %8d", day.first.c_str(), day.second);
    text += "\nDuration in seconds:";
    for (const auto& percentile : summary.durationPercentiles) {
        text += percentile.first == 100 ? Line(" longest %lld", percentile.second)
                                        : std::string(" ") + std::to_string(percentile.first) +
                                              "% " + std::to_string(percentile.second) + ",";
    }
    text += "\nMost asked-for pages\n";
    for (const auto& page : summary.topPages) {
        text += PageColumn(page.first, 24) + Line(" %8d", page.second);
    }
    return text;
}
