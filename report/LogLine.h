// One line of a session handler log file, parsed: "yymmdd|hhmmss|ccc|text|" in UTC.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

// A UTC moment to the second, comparable and printable.
struct UtcTime {
    int year = 0;  // four digits
    int month = 0;
    int day = 0;
    int hour = 0;
    int minute = 0;
    int second = 0;

    static UtcTime FromSeconds(std::int64_t seconds);
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

// A line parsed in place: its text is a view into the bytes it was read from.
struct LogLineView {
    UtcTime time;
    int code = 0;
    std::string_view text;
};

// Longer than any line the session handler writes (its longest, a command line of 32,767
// characters, is at most 64 KiB in a double-byte code page): a longer one is garbage.
constexpr size_t kLogLineBytesAtMost = 256 * 1024;

// A whole line without its CR LF; nothing for anything else (torn, garbled, another format,
// longer than kLogLineBytesAtMost).
std::optional<LogLineView> ParseLogLineView(std::string_view line);
std::optional<LogLine> ParseLogLine(const std::string& line);

// Calls take(line) for each whole line of a file's bytes, in order, and returns how many
// pieces could not be read (a line cut short at the end of the file counts as one).
template <typename Take>
int ForEachLogLine(std::string_view bytes, Take&& take) {
    int unreadable = 0;
    size_t start = 0;
    while (start < bytes.size()) {
        size_t end = bytes.find("\r\n", start);
        const bool cutShort = end == std::string_view::npos;
        if (cutShort) end = bytes.size();
        if (end > start) {
            if (const auto line = ParseLogLineView(bytes.substr(start, end - start))) {
                take(*line);
            } else {
                ++unreadable;
            }
        }
        start = cutShort ? end : end + 2;
    }
    return unreadable;
}

// The lines of a file's bytes: whole lines parsed, and how many pieces could not be read (a
// line cut short at the end of the file counts as one).
struct ParsedFile {
    std::vector<LogLine> lines;
    int unreadable = 0;
};
ParsedFile ParseLogFile(const std::string& bytes);
