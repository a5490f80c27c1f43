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

bool Digits(std::string_view text, size_t from, size_t count, int& value) {
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

UtcTime UtcTime::FromSeconds(std::int64_t seconds) {
    // The inverse of DaysFromCivil, for days since 1970 of the proleptic Gregorian calendar.
    std::int64_t days = seconds >= 0 ? seconds / 86400 : (seconds - 86399) / 86400;
    const std::int64_t secondOfDay = seconds - days * 86400;
    days += 719468;
    const std::int64_t era = (days >= 0 ? days : days - 146096) / 146097;
    const auto dayOfEra = static_cast<int>(days - era * 146097);
    const int yearOfEra = (dayOfEra - dayOfEra / 1460 + dayOfEra / 36524 - dayOfEra / 146096) / 365;
    const int dayOfYear = dayOfEra - (365 * yearOfEra + yearOfEra / 4 - yearOfEra / 100);
    const int monthIndex = (5 * dayOfYear + 2) / 153;
    UtcTime t;
    t.day = dayOfYear - (153 * monthIndex + 2) / 5 + 1;
    t.month = monthIndex < 10 ? monthIndex + 3 : monthIndex - 9;
    t.year = static_cast<int>(yearOfEra + era * 400 + (t.month <= 2));
    t.hour = static_cast<int>(secondOfDay / 3600);
    t.minute = static_cast<int>(secondOfDay / 60 % 60);
    t.second = static_cast<int>(secondOfDay % 60);
    return t;
}

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

std::optional<LogLineView> ParseLogLineView(std::string_view line) {
    // yymmdd|hhmmss|ccc| at the front, "|" at the end; the text may hold anything else.
    if (line.size() < 19 || line.size() > kLogLineBytesAtMost || line[6] != '|' ||
        line[13] != '|' || line[17] != '|' || line.back() != '|') {
        return std::nullopt;
    }
    LogLineView parsed;
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

std::optional<LogLine> ParseLogLine(const std::string& line) {
    const auto view = ParseLogLineView(line);
    if (!view) return std::nullopt;
    return LogLine{view->time, view->code, std::string(view->text)};
}

ParsedFile ParseLogFile(const std::string& bytes) {
    ParsedFile file;
    file.unreadable = ForEachLogLine(bytes, [&file](const LogLineView& line) {
        file.lines.push_back({line.time, line.code, std::string(line.text)});
    });
    return file;
}
