#include "logging/LogRotation.h"

std::tm BrokenDownUtc(const SYSTEMTIME& utc) {
    std::tm brokenDown{};
    brokenDown.tm_sec = utc.wSecond;
    brokenDown.tm_min = utc.wMinute;
    brokenDown.tm_hour = utc.wHour;
    brokenDown.tm_mday = utc.wDay;
    brokenDown.tm_mon = utc.wMonth - 1;
    brokenDown.tm_year = utc.wYear - 1900;
    brokenDown.tm_wday = utc.wDayOfWeek;
    brokenDown.tm_yday = 0;
    brokenDown.tm_isdst = -1;
    return brokenDown;
}

bool IsOtherUtcDate(const std::tm& started, const std::tm& now) {
    return started.tm_year != now.tm_year || started.tm_mday != now.tm_mday ||
           started.tm_mon != now.tm_mon;
}

bool IsOverSizeLimit(std::uint32_t bytesWritten, std::uint32_t limitKb) {
    return limitKb != 0 && bytesWritten / 1024 > limitKb;
}
