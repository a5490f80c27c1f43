#include "report/ConsoleReport.h"

#include <cstdarg>
#include <cstdio>

#include "report/Period.h"
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

// A page name in a column of the given width, padded by characters (UTF-8 lead bytes);
// control characters (a hostile command line can carry escape sequences) are shown as "?"
// rather than sent to the terminal.
std::string PageColumn(const std::string& page, size_t width) {
    std::string shown = page.empty() ? "(no page)" : page;
    size_t characters = 0;
    for (char& c : shown) {
        if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F) c = '?';
        if ((static_cast<unsigned char>(c) & 0xC0) != 0x80) ++characters;
    }
    if (characters < width) shown.append(width - characters, ' ');
    return shown;
}

// A folder's name for the terminal: valid UTF-8, control characters shown as "?".
std::string Printable(std::string text) {
    for (char& c : text) {
        if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F) c = '?';
    }
    return ValidUtf8(text);
}

constexpr size_t kKiosksListed = 10;
constexpr int kBucketsPerLine = 4;

// Sessions by day, week or month, a few to a line, so a month still fits a screen.
std::string SessionsOverTime(const Summary& summary) {
    const Granularity granularity =
        GranularityFor(summary.perDay.begin()->first, summary.perDay.rbegin()->first);
    static const char* const kTitles[] = {"day", "week (from Monday)", "month"};
    std::string text = std::string("\nSessions per ") + kTitles[static_cast<int>(granularity)] +
                       " (by start, UTC)\n";
    const auto buckets =
        Bucketed(summary.perDay, granularity, [](int& bucket, int day) { bucket += day; });
    int inLine = 0;
    for (const auto& bucket : buckets) {
        char cell[48];
        std::snprintf(cell, sizeof(cell), "%-10s %8d", bucket.first.c_str(), bucket.second);
        text += (inLine > 0 ? "   " : "") + std::string(cell);
        if (++inLine == kBucketsPerLine) {
            text += "\n";
            inLine = 0;
        }
    }
    return inLine > 0 ? text + "\n" : text;
}

std::string KiosksInTrouble(const std::vector<Kiosk>& worstFirst) {
    std::string text = Line("\nKiosks in most trouble (of %zu; not ended or closed, or unclean)",
                            worstFirst.size());
    const size_t cut = CommonFolderPrefix(worstFirst);
    if (cut > 0)
        text += "folders under " + Printable(worstFirst.front().folder.substr(0, cut)) + "\n";
    size_t listed = 0;
    for (const Kiosk& k : worstFirst) {
        if (listed == kKiosksListed || k.trouble == 0) break;
        if (listed++ == 0) text += "trouble  sessions  in trouble  folder\n";
        text += Line("%6.1f%% %9d %11d  %s", 100.0 * k.TroubleShare(), k.sessions, k.trouble,
                     Printable(k.folder.substr(cut)).c_str());
    }
    return listed == 0 ? text + "none: every session ended or closed, and shut down cleanly\n"
                       : text;
}

}  // namespace

std::string ConsoleText(const Summary& summary, const std::vector<Kiosk>& worstFirst) {
    std::string text = "Vistalyne session report\n";
    text += Line("Files read:        %d (%d unreadable: empty or not a session log)",
                 summary.read.files, summary.read.unreadableFiles);
    text +=
        Line("Unreadable lines:  %d (torn, garbled or cut short)", summary.read.unreadableLines);
    if (summary.inProgress > 0) {
        text += Line("In progress:       %d (no closing line yet; counted once settled)",
                     summary.inProgress);
    }
    if (summary.read.unlistedFolders > 0) {
        text += Line("Folders not read:  %d (their listing failed; named on standard error)",
                     summary.read.unlistedFolders);
    }
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
    text += SessionsOverTime(summary);
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
    if (worstFirst.size() > 1) text += KiosksInTrouble(worstFirst);
    return text;
}
