#include "logging/LogStatement.h"

#include <windows.h>

#include <cstdint>
#include <cwchar>

#include "logging/LogFileManager.h"

LogLine& LogLine::operator<<(const char* text) {
    if (text == nullptr) return *this;
    for (const char* c = text; *c != '\0'; ++c) {
        stream.put(static_cast<wchar_t>(static_cast<unsigned char>(*c)));
    }
    return *this;
}

LogLine& LogLine::operator<<(const wchar_t* text) {
    if (text != nullptr) stream << text;
    return *this;
}

LogLine& LogLine::operator<<(const std::wstring& text) {
    stream.write(text.data(), static_cast<std::streamsize>(text.size()));
    return *this;
}

LogLine& LogLine::operator<<(int value) {
    stream << value;
    return *this;
}

LogLine& LogLine::operator<<(const void* pointer) {
    stream << FormatHandle(pointer);
    return *this;
}

std::wstring FormatHandle(const void* pointer) {
    // Handles fit in 32 bits on both builds; the 64-bit twin writes what the shipped one does.
    const auto low = static_cast<std::uint32_t>(reinterpret_cast<std::uintptr_t>(pointer));
    wchar_t buffer[16];
    std::swprintf(buffer, 16, L"%08X", static_cast<unsigned int>(low));
    return buffer;
}

std::wstring DebuggerText(const std::wstring& text) {
    return L"Logger is null: " + text + L"\n";
}

void WriteLogLine(const std::wstring& text) {
    if (LogFile* log = ProgramLog) {
        log->Log(kStatementLineCode, text);
        return;
    }
    OutputDebugStringW(DebuggerText(text).c_str());
}

void WriteLogLine(const LogLine& line) {
    WriteLogLine(line.Text());
}
