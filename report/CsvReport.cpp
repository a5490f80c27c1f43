#include "report/CsvReport.h"

#include "report/Text.h"

std::string CsvRow(const Session& s) {
    return CsvField(s.folder) + "," + s.start.Text() + "," + s.end.Text() + "," +
           std::to_string(s.DurationSeconds()) + "," + CsvField(s.page) + "," +
           OutcomeName(s.outcome) + "," + (s.exitCode ? std::to_string(*s.exitCode) : "") + "," +
           (s.cleanShutdown ? "yes" : "no") + "," + std::to_string(s.files) + "," +
           std::to_string(s.ignoredMessages) + "\r\n";
}

std::string CsvText(const std::vector<Session>& sessions) {
    std::string text = std::string(kCsvHeader) + "\r\n";
    for (const Session& s : sessions) text += CsvRow(s);
    return text;
}
