// One line of a session handler log file, parsed: "yymmdd|hhmmss|ccc|text|" in UTC.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

// A UTC moment to the second, comparable and printable.
struct UtcTime {
    int year = 0;  // four digits
    int month = 0;
    int day = 0;
    int hour = 0;
    int minute = 0;
    int second = 0;

    std::int64_t Seconds() const;  // since 1970-01-01, for differences and order
    std::string Text() const;      // "YYYY-MM-DD hh:mm:ss"
    std::string DateText() const;  // "YYYY-MM-DD"
    bool operator<(const UtcTime& other) const { return Seconds() < other.Seconds(); }
    bool operator==(const UtcTime& other) const { return Seconds() == other.Seconds(); }
};

struct LogLine {
    UtcTime time;
    int code = 0;
    std::string text;  // the bytes between the code field and the closing "|"
};

// A whole line without its CR LF; nothing for anything else (torn, garbled, another format).
std::optional<LogLine> ParseLogLine(const std::string& line);

// The lines of a file's bytes: whole lines parsed, and how many pieces could not be read (a
// line cut short at the end of the file counts as one).
struct ParsedFile {
    std::vector<LogLine> lines;
    int unreadable = 0;
};
ParsedFile ParseLogFile(const std::string& bytes);
