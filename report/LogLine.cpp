#include "report/LogLine.h"

#include <cstdio>

namespace {

// Days from 1970-01-01 to the given civil date (proleptic Gregorian).
std::int64_t DaysFromCivil(int year, int month, int day) {
    year -= month <= 2;
    const std::int64_t era = (year >= 0 ? year : year - 399) / 400;
    const int yearOfEra = static_cast<int>(year - era * 400);
    const int dayOfYear = (153 * (month + (month > 2 ? -3 : 9)) + 2) / 5 + day - 1;
    const int dayOfEra = yearOfEra * 365 + yearOfEra / 4 - yearOfEra / 100 + dayOfYear;
    return era * 146097 + dayOfEra - 719468;
}

bool Digits(const std::string& text, size_t from, size_t count, int& value) {
    value = 0;
    for (size_t i = from; i < from + count; ++i) {
        const char c = text[i];
        if (c < '0' || c > '9') return false;
        value = value * 10 + (c - '0');
    }
    return true;
}

int DaysInMonth(int year, int month) {
    static const int days[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    const bool leap = (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
    return month == 2 && leap ? 29 : days[month - 1];
}

}  // namespace

std::int64_t UtcTime::Seconds() const {
    return DaysFromCivil(year, month, day) * 86400 + hour * 3600 + minute * 60 + second;
}

std::string UtcTime::Text() const {
    char buffer[32];
    std::snprintf(buffer, sizeof(buffer), "%04d-%02d-%02d %02d:%02d:%02d", year, month, day, hour,
                  minute, second);
    return buffer;
}

std::string UtcTime::DateText() const {
    return Text().substr(0, 10);
}

std::optional<LogLine> ParseLogLine(const std::string& line) {
    // yymmdd|hhmmss|ccc| at the front, "|" at the end; the text may hold anything else.
    if (line.size() < 19 || line[6] != '|' || line[13] != '|' || line[17] != '|' ||
        line.back() != '|') {
        return std::nullopt;
    }
    LogLine parsed;
    UtcTime& t = parsed.time;
    if (!Digits(line, 0, 2, t.year) || !Digits(line, 2, 2, t.month) || !Digits(line, 4, 2, t.day) ||
        !Digits(line, 7, 2, t.hour) || !Digits(line, 9, 2, t.minute) ||
        !Digits(line, 11, 2, t.second) || !Digits(line, 14, 3, parsed.code)) {
        return std::nullopt;
    }
    t.year += 2000;
    if (t.month < 1 || t.month > 12 || t.day < 1 || t.day > DaysInMonth(t.year, t.month) ||
        t.hour > 23 || t.minute > 59 || t.second > 60) {
        return std::nullopt;
    }
    parsed.text = line.substr(18, line.size() - 19);
    return parsed;
}

ParsedFile ParseLogFile(const std::string& bytes) {
    ParsedFile file;
    size_t start = 0;
    while (start < bytes.size()) {
        size_t end = bytes.find("\r\n", start);
        const bool cutShort = end == std::string::npos;
        if (cutShort) end = bytes.size();
        if (end > start) {
            if (auto line = ParseLogLine(bytes.substr(start, end - start))) {
                file.lines.push_back(std::move(*line));
            } else {
                ++file.unreadable;
            }
        }
        start = cutShort ? end : end + 2;
    }
    return file;
}
