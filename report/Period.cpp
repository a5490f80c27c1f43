#include "report/Period.h"

#include <string>

std::optional<std::int64_t> ParseUtcTime(std::string_view text) {
    // Read through the log line's own parser, which knows the calendar: the same fields in
    // the log's "yymmdd|hhmmss|000||" form, for years 2000 to 2099.
    const bool dateOnly = text.size() == 10;
    if (!dateOnly && (text.size() != 19 || text[10] != ' ' || text[13] != ':' || text[16] != ':'))
        return std::nullopt;
    if (text[4] != '-' || text[7] != '-' || text.substr(0, 2) != "20") return std::nullopt;
    const std::string clock = dateOnly ? "000000"
                                       : std::string(text.substr(11, 2)) +
                                             std::string(text.substr(14, 2)) +
                                             std::string(text.substr(17, 2));
    const std::string line = std::string(text.substr(2, 2)) + std::string(text.substr(5, 2)) +
                             std::string(text.substr(8, 2)) + "|" + clock + "|000||";
    const auto parsed = ParseLogLineView(line);
    if (!parsed || parsed->time.second > 59) return std::nullopt;
    return parsed->time.Seconds();
}

namespace {

constexpr std::int64_t kDaysByDayAtMost = 31;
constexpr std::int64_t kDaysByWeekAtMost = 183;

std::int64_t DayNumber(const std::string& day) {
    return ParseUtcTime(day).value_or(0) / 86400;
}

}  // namespace

Granularity GranularityFor(const std::string& firstDay, const std::string& lastDay) {
    const std::int64_t days = DayNumber(lastDay) - DayNumber(firstDay) + 1;
    if (days <= kDaysByDayAtMost) return Granularity::kDay;
    return days <= kDaysByWeekAtMost ? Granularity::kWeek : Granularity::kMonth;
}

std::string BucketOf(const std::string& day, Granularity granularity) {
    switch (granularity) {
        case Granularity::kDay:
            return day;
        case Granularity::kWeek: {
            const std::int64_t number = DayNumber(day);
            const std::int64_t monday = number - (number + 3) % 7;  // 1970-01-01 was a Thursday
            return UtcTime::FromSeconds(monday * 86400).DateText();
        }
        case Granularity::kMonth:
            break;
    }
    return day.substr(0, 7);
}
