// The names of log files and the banner at the top of each.
#pragma once

#include <cstdint>
#include <ctime>
#include <string>

// " dd-mm-yyyy hh-mm-ss", with "-tttt" (the tick remainder) when the file has a size limit.
std::wstring FormatFileDatePart(const std::tm& started, int tickRemainder, bool withTickRemainder);

struct BannerFacts {
    std::uint32_t sizeLimitKb;
    bool newFilePerDay;
    std::wstring programFileName;
    std::wstring programVersion;
    std::uint32_t consoleSessionId;  // 0xFFFFFFFF when nobody is at the console: shown as -1
};

std::wstring BannerText(bool next, const BannerFacts& facts);
