#include "report/HtmlReport.h"

#include <algorithm>
#include <cstdio>
#include <map>

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
           " s)\npage: " + (s.page.empty() ? "(none)" : AnsiToUtf8(s.page)) +
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
    html += "</table>\n<table><tr><th>Day (UTC)</th><th>Sessions</th></tr>\n";
    for (const auto& day : summary.perDay) {
        html += "<tr><td>" + day.first + "</td><td>" + std::to_string(day.second) + "</td></tr>\n";
    }
    html += "</table>\n<table><tr><th>Page</th><th>Sessions</th></tr>\n";
    for (const auto& page : summary.topPages) {
        html += "<tr><td>" + HtmlEscaped(page.first.empty() ? "(none)" : AnsiToUtf8(page.first)) +
                "</td><td>" + std::to_string(page.second) + "</td></tr>\n";
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
                std::to_string(s.DurationSeconds()) + "</td><td>" +
                HtmlEscaped(AnsiToUtf8(s.page)) +
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
.sessions td:nth-child(9){text-align:right}section{clear:both})";

}  // namespace

std::string HtmlPage(const Summary& summary, const std::vector<Session>& sessions) {
    return "<!DOCTYPE html>\n<html lang=\"en\"><head><meta charset=\"utf-8\">"
           "<title>Vistalyne session report</title><style>" +
           std::string(kStyle) + "</style></head><body>\n<h1>Vistalyne session report</h1>\n" +
           SummaryTables(summary) + "<section><h2>Sessions per day</h2>\n" +
           "<p>Each mark is one session, from its first log line to its last, coloured by "
           "outcome; hover over it for its details.</p>\n" +
           Timeline(sessions) + "</section>\n<section><h2>Sessions</h2>\n" +
           SessionTable(sessions) + "</section></body></html>\n";
}
