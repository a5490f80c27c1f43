// How every part of the program writes one log line: collect the text, then emit it.
#pragma once

#include <cstdint>
#include <sstream>
#include <string>

constexpr std::uint16_t kStatementLineCode = 999;

// The text of one log line. Narrow text widens byte by byte; pointers and window handles come
// out as 8 upper-case hex digits from their low 32 bits, the same on both builds.
class LogLine {
public:
    LogLine() = default;
    LogLine(const LogLine&) = delete;
    LogLine& operator=(const LogLine&) = delete;

    LogLine& operator<<(const char* text);
    LogLine& operator<<(const wchar_t* text);
    LogLine& operator<<(const std::wstring& text);
    LogLine& operator<<(int value);
    LogLine& operator<<(const void* pointer);

    std::wstring Text() const { return stream.str(); }

private:
    std::wostringstream stream;
};

std::wstring FormatHandle(const void* pointer);

// What the debugger output receives while no log file exists.
std::wstring DebuggerText(const std::wstring& text);

void WriteLogLine(const std::wstring& text);
void WriteLogLine(const LogLine& line);
