#include "logging/LogRotation.h"

#include <gtest/gtest.h>

#include "logging/LogFileTexts.h"

namespace {

std::tm Utc(WORD year, WORD month, WORD day, WORD hour = 0, WORD minute = 0, WORD second = 0) {
    SYSTEMTIME time{};
    time.wYear = year, time.wMonth = month, time.wDay = day;
    time.wHour = hour, time.wMinute = minute, time.wSecond = second;
    return BrokenDownUtc(time);
}

}  // namespace

TEST(LogRotation, NewDayIsACalendarDateChangeNotADuration) {
    EXPECT_FALSE(IsOtherUtcDate(Utc(2026, 12, 7, 0, 0, 1), Utc(2026, 12, 7, 23, 59, 59)));
    EXPECT_TRUE(IsOtherUtcDate(Utc(2026, 12, 7, 23, 59, 59), Utc(2026, 12, 8, 0, 0, 0)));
    EXPECT_TRUE(IsOtherUtcDate(Utc(2026, 1, 31), Utc(2026, 3, 31)));  // same day of month
    EXPECT_TRUE(IsOtherUtcDate(Utc(2026, 12, 7), Utc(2027, 12, 7)));  // same day and month
}

TEST(LogRotation, SizeLimitTripsOnlyAfterOneMoreWholeKilobyte) {
    EXPECT_FALSE(IsOverSizeLimit(1024 * 1024, 1024));
    EXPECT_FALSE(IsOverSizeLimit(1024 * 1024 + 1023, 1024));
    EXPECT_TRUE(IsOverSizeLimit(1049600, 1024));
    EXPECT_FALSE(IsOverSizeLimit(UINT32_MAX, 0));  // 0: no limit at all
    EXPECT_TRUE(IsOverSizeLimit(2048, 1));
    EXPECT_FALSE(IsOverSizeLimit(2047, 1));
}

TEST(LogFileNames, DatePartCarriesTheTickRemainderOnlyWithASizeLimit) {
    const std::tm started = Utc(2026, 12, 7, 12, 19, 54);
    EXPECT_EQ(L" 07-12-2026 12-19-54-0123", FormatFileDatePart(started, 123, true));
    EXPECT_EQ(L" 07-12-2026 12-19-54-0000", FormatFileDatePart(started, 0, true));
    EXPECT_EQ(L" 07-12-2026 12-19-54", FormatFileDatePart(started, 999, false));
    EXPECT_EQ(L" 01-02-2027 03-04-05", FormatFileDatePart(Utc(2027, 2, 1, 3, 4, 5), 5, false));
}

TEST(LogBanner, TextsForEachLimitAndDayCombination) {
    BannerFacts facts{1024, true, L"VistalyneSessionHandler.exe", L"V1.0.0.2", 1};
    EXPECT_EQ(
        L"Starting new UTC Logfile with limit of 1024k per file and starting a new one each "
        L"day[VistalyneSessionHandler.exe|V1.0.0.2] [Session ID: 1]",
        BannerText(false, facts));
    EXPECT_EQ(
        L"Starting next UTC logfile with limit of 1024k per file and starting a new one "
        L"each day[VistalyneSessionHandler.exe|V1.0.0.2] [Session ID: 1]",
        BannerText(true, facts));
    facts.sizeLimitKb = 0;
    EXPECT_EQ(
        L"Starting new UTC Logfile, starting a new one each day.[VistalyneSessionHandler.exe"
        L"|V1.0.0.2] [Session ID: 1]",
        BannerText(false, facts));
    facts.newFilePerDay = false;
    facts.consoleSessionId = 0xFFFFFFFF;
    facts.programVersion = L"Unknown";
    EXPECT_EQ(L"Starting next UTC logfile[VistalyneSessionHandler.exe|Unknown] [Session ID: -1]",
              BannerText(true, facts));
    facts.sizeLimitKb = 5;
    EXPECT_EQ(
        L"Starting new UTC Logfile with limit of 5k per file[VistalyneSessionHandler.exe|"
        L"Unknown] [Session ID: -1]",
        BannerText(false, facts));
}
