#include "report/HtmlReport.h"

#include <algorithm>
#include <cstdio>
#include <map>

#include "report/Period.h"
#include "report/Text.h"

namespace {

const char* const kColours[kOutcomeCount] = {"#2e7d32", "#ef6c00", "#6a1b9a", "#1565c0",
                                             "#c62828", "#6d4c41", "#9e9e9e"};
constexpr int kChartWidth = 1100;
constexpr int kLabelWidth = 96;
constexpr int kLaneHeight = 14;
constexpr int kMinimumMarkWidth = 2;

std::string Number(double value, const char* format = "%.1f") {
    char buffer[32];
    std::snprintf(buffer, sizeof(buffer), format, value);
    return buffer;
}

std::string Colour(Outcome outcome) {
    return kColours[static_cast<int>(outcome)];
}

long long SecondOfDay(const UtcTime& t) {
    return t.hour * 3600 + t.minute * 60 + t.second;
}

std::string Details(const Session& s) {
    return s.start.Text() + " to " + s.end.Text().substr(11) + " UTC (" +
           std::to_string(s.DurationSeconds()) +
           " s)\npage: " + (s.page.empty() ? "(none)" : s.page) +
           "\noutcome: " + OutcomeName(s.outcome) +
           (s.exitCode ? ", exit code " + std::to_string(*s.exitCode) : ", exit code unknown") +
           "\nclean shutdown: " + (s.cleanShutdown ? "yes" : "no") +
           "\nfiles: " + std::to_string(s.files) +
           ", ignored messages: " + std::to_string(s.ignoredMessages) + "\nfolder: " + s.folder;
}

// One row a day, the hours of the day that saw sessions across the chart, and the sessions
// that overlap in time on lanes of their own.
std::string Timeline(const std::vector<Session>& sessions) {
    if (sessions.empty()) return "<p>No sessions.</p>";
    long long from = 86400;
    long long to = 0;
    std::map<std::string, std::vector<const Session*>> days;
    for (const Session& s : sessions) {
        days[s.start.DateText()].push_back(&s);
        from = std::min(from, SecondOfDay(s.start));
        const long long end = s.end.DateText() == s.start.DateText() ? SecondOfDay(s.end) : 86399;
        to = std::max(to, end);
    }
    // The hours of the day that saw sessions, cut at round times: a tick a minute for a few
    // minutes of sessions, up to a tick every three hours for whole days.
    static const long long kSteps[] = {60, 120, 300, 600, 900, 1800, 3600, 7200, 10800};
    long long step = kSteps[0];
    for (const long long candidate : kSteps) {
        step = candidate;
        if ((to - from) / candidate < 12) break;
    }
    from = from / step * step;
    to = std::min<long long>(86400, (to / step + 1) * step);
    const double perSecond = static_cast<double>(kChartWidth) / static_cast<double>(to - from);

    std::string rows;
    int y = 20;
    for (const auto& day : days) {
        std::vector<long long> laneEnds;  // the last second each lane is busy until
        std::string marks;
        int lanes = 1;
        for (const Session* s : day.second) {
            const long long start = SecondOfDay(s->start);
            const long long end = std::max(
                start, s->end.DateText() == s->start.DateText() ? SecondOfDay(s->end) : 86399);
            size_t lane = 0;
            while (lane < laneEnds.size() && laneEnds[lane] > start) ++lane;
            if (lane == laneEnds.size()) laneEnds.push_back(end);
            laneEnds[lane] = std::max(end, start + 1);
            lanes = std::max(lanes, static_cast<int>(laneEnds.size()));
            const double x = kLabelWidth + (start - from) * perSecond;
            const double width = std::max<double>(kMinimumMarkWidth, (end - start) * perSecond);
            marks += "<rect x=\"" + Number(x) + "\" y=\"" +
                     std::to_string(y + static_cast<int>(lane) * kLaneHeight) + "\" width=\"" +
                     Number(width) + "\" height=\"" + std::to_string(kLaneHeight - 3) +
                     "\" fill=\"" + Colour(s->outcome) + "\"><title>" + HtmlEscaped(Details(*s)) +
                     "</title></rect>\n";
        }
        rows += "<text x=\"0\" y=\"" + std::to_string(y + 10) + "\">" + day.first + " (" +
                std::to_string(day.second.size()) + ")</text>\n" + marks;
        y += lanes * kLaneHeight + 10;
    }
    std::string axis;
    for (long long tick = from; tick <= to; tick += step) {
        const double x = kLabelWidth + (tick - from) * perSecond;
        char label[8];
        std::snprintf(label, sizeof(label), "%02lld:%02lld", tick / 3600 % 24, tick / 60 % 60);
        axis += "<line x1=\"" + Number(x) + "\" y1=\"14\" x2=\"" + Number(x) + "\" y2=\"" +
                std::to_string(y) + "\" class=\"hour\"/><text x=\"" + Number(x - 14) +
                "\" y=\"10\">" + label + "</text>\n";
    }
    return "<svg class=\"timeline\" width=\"" + std::to_string(kLabelWidth + kChartWidth + 30) +
           "\" height=\"" + std::to_string(y + 4) + "\" role=\"img\">\n" + axis + rows + "</svg>\n";
}

std::string SummaryTables(const Summary& summary) {
    std::string html = "<div class=\"summary\"><table>\n";
    auto fact = [&html](const std::string& name, const std::string& value) {
        html += "<tr><th>" + name + "</th><td>" + value + "</td></tr>\n";
    };
    fact("Period (UTC)",
         summary.sessions ? summary.first.Text() + " to " + summary.last.Text() : "no sessions");
    fact("Sessions", std::to_string(summary.sessions));
    const double share = summary.sessions ? 100.0 * summary.uncleanShutdowns / summary.sessions : 0;
    fact("Unclean shutdowns",
         std::to_string(summary.uncleanShutdowns) + " (" + Number(share) + "%)");
    std::string durations;
    for (const auto& p : summary.durationPercentiles) {
        durations += (durations.empty() ? "" : ", ") +
                     (p.first == 100 ? std::string("longest ") : std::to_string(p.first) + "%: ") +
                     std::to_string(p.second) + " s";
    }
    fact("Duration", durations);
    fact("Files read", std::to_string(summary.read.files) + " (" +
                           std::to_string(summary.read.unreadableFiles) +
                           " unreadable: empty or not a session log)");
    fact("Unreadable lines",
         std::to_string(summary.read.unreadableLines) + " (torn, garbled or cut short)");
    if (summary.inProgress > 0) {
        fact("In progress",
             std::to_string(summary.inProgress) + " (no closing line yet; counted once settled)");
    }
    if (summary.read.unlistedFolders > 0) {
        fact("Folders not read",
             std::to_string(summary.read.unlistedFolders) + " (their listing failed)");
    }
    html +=
        "</table>\n<table><tr><th>Outcome</th><th>Sessions</th>"
        "<th>Share</th></tr>\n";
    for (int i = 0; i < kOutcomeCount; ++i) {
        const int count = summary.byOutcome[static_cast<size_t>(i)];
        const auto outcome = static_cast<Outcome>(i);
        html += "<tr><td><span class=\"swatch\" style=\"background:" + Colour(outcome) +
                "\"></span>" + OutcomeName(outcome) + "</td><td>" + std::to_string(count) +
                "</td><td>" + Number(summary.sessions ? 100.0 * count / summary.sessions : 0) +
                "%</td></tr>\n";
    }
    static const char* const kBucketTitles[] = {"Day (UTC)", "Week from (UTC)", "Month (UTC)"};
    const Granularity granularity =
        summary.perDay.empty()
            ? Granularity::kDay
            : GranularityFor(summary.perDay.begin()->first, summary.perDay.rbegin()->first);
    html += std::string("</table>\n<table><tr><th>") +
            kBucketTitles[static_cast<int>(granularity)] + "</th><th>Sessions</th></tr>\n";
    for (const auto& bucket :
         Bucketed(summary.perDay, granularity, [](int&into, int day) { into += day; })) {
        html += "<tr><td>" + bucket.first + "</td><td>" + std::to_string(bucket.second) +
                "</td></tr>\n";
    }
    html += "</table>\n<table><tr><th>Page</th><th>Sessions</th></tr>\n";
    for (const auto& page : summary.topPages) {
        html += "<tr><td>" + HtmlEscaped(page.first.empty() ? "(none)" : page.first) + "</td><td>" +
                std::to_string(page.second) + "</td></tr>\n";
    }
    return html + "</table></div>\n";
}

std::string SessionTable(const std::vector<Session>& sessions) {
    std::string html =
        "<table class=\"sessions\"><tr><th>Start (UTC)</th><th>End</th><th>Seconds</th>"
        "<th>Page</th><th>Outcome</th><th>Exit code</th><th>Clean shutdown</th><th>Files</th>"
        "<th>Ignored messages</th><th>Folder</th></tr>\n";
    for (const Session& s : sessions) {
        html += "<tr><td>" + s.start.Text() + "</td><td>" + s.end.Text().substr(11) + "</td><td>" +
                std::to_string(s.DurationSeconds()) + "</td><td>" + HtmlEscaped(s.page) +
                "</td><td><span class=\"swatch\" style=\"background:" + Colour(s.outcome) +
                "\"></span>" + OutcomeName(s.outcome) + "</td><td>" +
                (s.exitCode ? std::to_string(*s.exitCode) : "") + "</td><td>" +
                (s.cleanShutdown ? "yes" : "<b>no</b>") + "</td><td>" + std::to_string(s.files) +
                "</td><td>" + std::to_string(s.ignoredMessages) + "</td><td>" +
                HtmlEscaped(s.folder) + "</td></tr>\n";
    }
    return html + "</table>\n";
}

constexpr char kStyle[] = R"(body{font:14px/1.4 system-ui,sans-serif;margin:24px;color:#222}
h1{font-size:22px;margin:0 0 12px}h2{font-size:17px;margin:24px 0 8px}
table{border-collapse:collapse;margin:0 24px 12px 0;vertical-align:top}
th,td{padding:2px 10px;text-align:left;border-bottom:1px solid #e0e0e0;vertical-align:top}
td{white-space:nowrap}
.summary{display:flex;flex-wrap:wrap;align-items:flex-start}
.swatch{display:inline-block;width:10px;height:10px;margin-right:6px;border-radius:2px}
.timeline{clear:both;font-size:12px;display:block}.timeline rect:hover{stroke:#000;stroke-width:1}
.timeline .hour{stroke:#ddd}.sessions td:nth-child(3),.sessions td:nth-child(8),
.sessions td:nth-child(9){text-align:right}section{clear:both}
.kiosks td:nth-child(n+2){text-align:right}.chart{font-size:11px;display:block}
.chart rect:hover{stroke:#000;stroke-width:1}.chart .grid{stroke:#ddd})";

// The fleet's chart: a row a day of hour cells for a couple of weeks at most; beyond, a column
// a day (a week for periods past about a year), each split by outcome share and as tall as
// its count against the busiest.
constexpr std::int64_t kHourRowsAtMost = 14;
constexpr std::int64_t kDayColumnsAtMost = 400;
constexpr int kCellWidth = 44;
constexpr int kCellHeight = 22;
constexpr int kBarsHeight = 160;

int Total(const OutcomeCounts& counts) {
    int total = 0;
    for (const int count : counts) total += count;
    return total;
}

std::string CountsTitle(const std::string& when, const OutcomeCounts& counts) {
    std::string title = when + ": " + std::to_string(Total(counts)) + " sessions";
    for (int i = 0; i < kOutcomeCount; ++i) {
        if (counts[static_cast<size_t>(i)] == 0) continue;
        title += "\n" + std::string(OutcomeName(static_cast<Outcome>(i))) + " " +
                 std::to_string(counts[static_cast<size_t>(i)]);
    }
    return title;
}

// One mark split by outcome share from the bottom up: ended at the foot, the rest above.
std::string SplitMark(double x, double y, double width, double height, const OutcomeCounts& counts,
                      const std::string& when) {
    const int total = Total(counts);
    std::string marks = "<g><title>" + HtmlEscaped(CountsTitle(when, counts)) + "</title>";
    double top = y + height;
    for (int i = 0; i < kOutcomeCount; ++i) {
        const int count = counts[static_cast<size_t>(i)];
        if (count == 0) continue;
        const double part = height * count / total;
        top -= part;
        marks += "<rect x=\"" + Number(x) + "\" y=\"" + Number(top) + "\" width=\"" +
                 Number(width) + "\" height=\"" + Number(part, "%.2f") + "\" fill=\"" +
                 Colour(static_cast<Outcome>(i)) + "\"/>";
    }
    return marks + "</g>\n";
}

std::string HourGrid(const Summary& summary, std::int64_t firstDay, std::int64_t lastDay) {
    std::string svg;
    int y = 18;
    for (int hour = 0; hour < 24; hour += 3) {
        svg += "<text x=\"" + std::to_string(kLabelWidth + hour * kCellWidth) + "\" y=\"12\">" +
               (hour < 10 ? "0" : "") + std::to_string(hour) + ":00</text>\n";
    }
    for (std::int64_t day = firstDay; day <= lastDay; ++day) {
        const std::string date = UtcTime::FromSeconds(day * 86400).DateText();
        const auto total = summary.perDay.find(date);
        svg += "<text x=\"0\" y=\"" + std::to_string(y + 15) + "\">" + date + " (" +
               std::to_string(total == summary.perDay.end() ? 0 : total->second) + ")</text>\n";
        for (int hour = 0; hour < 24; ++hour) {
            const double x = kLabelWidth + hour * kCellWidth;
            svg += "<rect class=\"grid\" fill=\"none\" x=\"" + Number(x) + "\" y=\"" +
                   std::to_string(y) + "\" width=\"" + std::to_string(kCellWidth) + "\" height=\"" +
                   std::to_string(kCellHeight) + "\"/>";
            const auto cell = summary.byHour.find(day * 24 + hour);
            if (cell == summary.byHour.end()) continue;
            char when[32];
            std::snprintf(when, sizeof(when), "%s %02d:00-%02d:59", date.c_str(), hour, hour);
            svg += SplitMark(x + 1, y + 1, kCellWidth - 2, kCellHeight - 2, cell->second, when);
        }
        svg += "\n";
        y += kCellHeight + 4;
    }
    return "<svg class=\"chart\" width=\"" + std::to_string(kLabelWidth + 24 * kCellWidth + 8) +
           "\" height=\"" + std::to_string(y) + "\" role=\"img\">\n" + svg + "</svg>\n";
}

std::string Bars(const Summary& summary, std::int64_t days) {
    const Granularity granularity = days <= kDayColumnsAtMost       ? Granularity::kDay
                                    : days <= kDayColumnsAtMost * 7 ? Granularity::kWeek
                                                                    : Granularity::kMonth;
    const auto buckets =
        Bucketed(summary.byDay, granularity, [](OutcomeCounts& into, const OutcomeCounts& day) {
            for (size_t i = 0; i < into.size(); ++i) into[i] += day[i];
        });
    int busiest = 1;
    for (const auto& bucket : buckets) busiest = std::max(busiest, Total(bucket.second));
    const double step = static_cast<double>(kChartWidth) / static_cast<double>(buckets.size());
    std::string svg;
    double x = kLabelWidth;
    std::string month;  // a label where a month begins
    for (const auto& bucket : buckets) {
        const double height = static_cast<double>(kBarsHeight) * Total(bucket.second) / busiest;
        svg += SplitMark(x, 10 + kBarsHeight - height, std::max(step - 1, 1.0), height,
                         bucket.second, bucket.first);
        if (bucket.first.substr(0, 7) != month) {
            month = bucket.first.substr(0, 7);
            svg += "<text x=\"" + Number(x) + "\" y=\"" + std::to_string(kBarsHeight + 26) + "\">" +
                   month + "</text>\n";
        }
        x += step;
    }
    static const char* const kPer[] = {"a day", "a week", "a month"};
    return "<p>A column " + std::string(kPer[static_cast<int>(granularity)]) +
           ", as tall as its sessions against the busiest (" + std::to_string(busiest) +
           "), split by outcome; hover over it for its counts.</p>\n<svg class=\"chart\" width=\"" +
           std::to_string(kLabelWidth + kChartWidth + 30) + "\" height=\"" +
           std::to_string(kBarsHeight + 34) + "\" role=\"img\">\n<text x=\"0\" y=\"20\">" +
           std::to_string(busiest) + "</text>\n" + svg + "</svg>\n";
}

std::string OverTime(const Summary& summary) {
    if (summary.perDay.empty()) return "<p>No sessions.</p>\n";
    const std::int64_t firstDay = summary.first.Seconds() / 86400;
    const std::int64_t lastDay = ParseUtcTime(summary.perDay.rbegin()->first).value_or(0) / 86400;
    if (lastDay - firstDay + 1 <= kHourRowsAtMost) {
        return "<p>A row a day and a cell an hour, split by outcome share; hover over a cell for "
               "its counts.</p>\n" +
               HourGrid(summary, firstDay, lastDay);
    }
    return Bars(summary, lastDay - firstDay + 1);
}

std::string KioskTable(const std::vector<Kiosk>& worstFirst) {
    const size_t cut = CommonFolderPrefix(worstFirst);
    std::string html;
    if (cut > 0) {
        html += "<p>Folders under " +
                HtmlEscaped(ValidUtf8(worstFirst.front().folder.substr(0, cut))) + "</p>\n";
    }
    if (worstFirst.size() > kFleetKiosksShown) {
        html += "<p>The " + std::to_string(kFleetKiosksShown) + " in most trouble of " +
                std::to_string(worstFirst.size()) + " kiosks; the kiosks' CSV holds all.</p>\n";
    }
    html += "<table class=\"kiosks\"><tr><th>Folder</th><th>Sessions</th><th>In trouble</th>";
    for (int i = 0; i < kOutcomeCount; ++i) {
        html += std::string("<th>") + OutcomeName(static_cast<Outcome>(i)) + "</th>";
    }
    html += "<th>Unclean</th><th>First start (UTC)</th><th>Last start</th></tr>\n";
    for (size_t row = 0; row < worstFirst.size() && row < kFleetKiosksShown; ++row) {
        const Kiosk& k = worstFirst[row];
        html += "<tr><td>" + HtmlEscaped(ValidUtf8(k.folder.substr(cut))) + "</td><td>" +
                std::to_string(k.sessions) + "</td><td>" + Number(100.0 * k.TroubleShare()) +
                "%</td>";
        for (const int count : k.byOutcome) html += "<td>" + std::to_string(count) + "</td>";
        html += "<td>" + std::to_string(k.unclean) + "</td><td>" +
                (k.sessions ? k.firstStart.Text() : "") + "</td><td>" +
                (k.sessions ? k.lastStart.Text() : "") + "</td></tr>\n";
    }
    return html + "</table>\n";
}

std::string PageHead() {
    return "<!DOCTYPE html>\n<html lang=\"en\"><head><meta charset=\"utf-8\">"
           "<title>Vistalyne session report</title><style>" +
           std::string(kStyle) + "</style></head><body>\n<h1>Vistalyne session report</h1>\n";
}

}  // namespace

std::string HtmlPage(const Summary& summary, const std::vector<Session>& sessions) {
    return PageHead() + SummaryTables(summary) + "<section><h2>Sessions per day</h2>\n" +
           "<p>Each mark is one session, from its first log line to its last, coloured by "
           "outcome; hover over it for its details.</p>\n" +
           Timeline(sessions) + "</section>\n<section><h2>Sessions</h2>\n" +
           SessionTable(sessions) + "</section></body></html>\n";
}

std::string FleetPage(const Summary& summary, const std::vector<Kiosk>& worstFirst,
                      const std::vector<Session>& troubleNewestFirst, int troubleInAll) {
    std::string trouble = "<p>" + std::to_string(troubleInAll) +
                          " sessions in trouble (not ended or closed, or not shut down cleanly)";
    if (troubleNewestFirst.size() < static_cast<size_t>(troubleInAll)) {
        trouble += "; the " + std::to_string(troubleNewestFirst.size()) +
                   " newest are shown, and the sessions' CSV holds all";
    }
    return PageHead() + SummaryTables(summary) + "<section><h2>Kiosks, worst first</h2>\n" +
           KioskTable(worstFirst) + "</section>\n<section><h2>Sessions over time</h2>\n" +
           OverTime(summary) + "</section>\n<section><h2>Sessions in trouble, newest first</h2>\n" +
           trouble + ".</p>\n" + SessionTable(troubleNewestFirst) + "</section></body></html>\n";
}
