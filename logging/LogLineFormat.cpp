#include "logging/LogLineFormat.h"

#include <cstdio>

namespace {

constexpr size_t kPrefixBufferLength = 200;

}  // namespace

void ReplaceAll(std::string& text, const std::string& what, const std::string& with) {
    if (what.empty()) return;
    size_t position = 0;
    while ((position = text.find(what, position)) != std::string::npos) {
        text.replace(position, what.size(), with);
        position += with.size();
    }
}

std::string FlattenLineText(std::string text) {
    ReplaceAll(text, "\r\n", " ");
    ReplaceAll(text, "\r", " ");
    ReplaceAll(text, "\n", " ");
    ReplaceAll(text, "  ", " ");
    return text;
}

std::string FormatLinePrefix(const SYSTEMTIME& utc, std::uint16_t code) {
    char buffer[kPrefixBufferLength];
    std::snprintf(buffer, sizeof(buffer), "%02i%02i%02i|%02i%02i%02i|%03i|", utc.wYear - 2000,
                  utc.wMonth, utc.wDay, utc.wHour, utc.wMinute, utc.wSecond, code);
    return buffer;
}

std::string BuildLogFileLine(const SYSTEMTIME& utc, std::uint16_t code,
                             const std::string& flattenedText) {
    return FormatLinePrefix(utc, code) + flattenedText + "|\r\n";
}
