#include "logging/LogFileTexts.h"

#include <cwchar>

namespace {

constexpr size_t kDatePartLength = 100;
constexpr size_t kSessionIdLength = 1024;

}  // namespace

std::wstring FormatFileDatePart(const std::tm& started, int tickRemainder, bool withTickRemainder) {
    wchar_t buffer[kDatePartLength];
    if (withTickRemainder) {
        std::swprintf(buffer, kDatePartLength, L" %02i-%02i-%04i %02i-%02i-%02i-%04i",
                      started.tm_mday, started.tm_mon + 1, started.tm_year + 1900, started.tm_hour,
                      started.tm_min, started.tm_sec, tickRemainder);
    } else {
        std::swprintf(buffer, kDatePartLength, L" %02i-%02i-%04i %02i-%02i-%02i", started.tm_mday,
                      started.tm_mon + 1, started.tm_year + 1900, started.tm_hour, started.tm_min,
                      started.tm_sec);
    }
    return buffer;
}

std::wstring BannerText(bool next, const BannerFacts& facts) {
    std::wstring text = next ? L"Starting next UTC logfile" : L"Starting new UTC Logfile";
    if (facts.sizeLimitKb != 0) {
        text += L" with limit of " + std::to_wstring(facts.sizeLimitKb) + L"k per file";
    }
    if (facts.newFilePerDay) {
        text += facts.sizeLimitKb != 0 ? L" and starting a new one each day"
                                       : L", starting a new one each day.";
    }
    wchar_t sessionId[kSessionIdLength];
    std::swprintf(sessionId, kSessionIdLength, L"%i", static_cast<int>(facts.consoleSessionId));
    text += L"[" + facts.programFileName + L"|" + facts.programVersion + L"] [Session ID: " +
            sessionId + L"]";
    return text;
}
