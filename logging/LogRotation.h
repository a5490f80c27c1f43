// When a log file is finished and the next one started: new UTC date or too many bytes.
#pragma once

#include <windows.h>

#include <cstdint>
#include <ctime>

// Broken-down UTC time as the log file keeps it: day of year 0, daylight flag -1.
std::tm BrokenDownUtc(const SYSTEMTIME& utc);

// A calendar-date test (year, month, day of month), not a 24-hour interval.
bool IsOtherUtcDate(const std::tm& started, const std::tm& now);

// 0 means no limit; otherwise whole kilobytes written must exceed the limit.
bool IsOverSizeLimit(std::uint32_t bytesWritten, std::uint32_t limitKb);
