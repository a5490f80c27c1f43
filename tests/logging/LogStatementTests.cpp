#include "logging/LogStatement.h"

#include <windows.h>

#include <gtest/gtest.h>

#include "logging/LogFileManager.h"
#include "tests/support/LogCapture.h"

namespace {

// Catches what OutputDebugString hands to a debugger; the platform raises it as an exception
// that a vectored handler sees first.
std::string debuggerOutput;

LONG CALLBACK CatchDebugString(EXCEPTION_POINTERS* info) {
    const EXCEPTION_RECORD* record = info->ExceptionRecord;
    if (record->ExceptionCode == DBG_PRINTEXCEPTION_C && record->NumberParameters >= 2) {
        debuggerOutput.append(reinterpret_cast<const char*>(record->ExceptionInformation[1]),
                              static_cast<size_t>(record->ExceptionInformation[0]));
        return EXCEPTION_CONTINUE_EXECUTION;
    }
    return EXCEPTION_CONTINUE_SEARCH;
}

std::string DebuggerReceives(const std::wstring& text) {
    debuggerOutput.clear();
    PVOID handler = AddVectoredExceptionHandler(1, CatchDebugString);
    WriteLogLine(text);
    RemoveVectoredExceptionHandler(handler);
    // Some platforms hand the text over in pieces or with the terminator counted.
    if (!debuggerOutput.empty() && debuggerOutput.back() == '\0') debuggerOutput.pop_back();
    return debuggerOutput;
}

}  // namespace

TEST(LogLine, RendersNarrowWideAndCountedText) {
    const std::wstring counted(L"a\0b", 3);
    LogLine line;
    line << "narrow \xE9 " << L"wide \x0141 " << counted;
    EXPECT_EQ(std::wstring(L"narrow \x00E9 wide \x0141 a\0b", 19), line.Text());
}

TEST(LogLine, RendersIntegersInPlainDecimal) {
    LogLine line;
    line << 5000 << " " << -1 << " " << 0 << " " << -2147483647 - 1;
    EXPECT_EQ(L"5000 -1 0 -2147483648", line.Text());
}

TEST(LogLine, RendersHandlesAsEightUpperCaseHexDigitsOfTheLowHalf) {
    LogLine line;
    line << reinterpret_cast<HWND>(0x2A0B4) << " " << static_cast<HWND>(nullptr) << " "
         << reinterpret_cast<const void*>(static_cast<std::uintptr_t>(0xDEADBEEF));
    EXPECT_EQ(L"0002A0B4 00000000 DEADBEEF", line.Text());
#ifdef _WIN64
    EXPECT_EQ(L"89ABCDEF", FormatHandle(reinterpret_cast<void*>(0x0123456789ABCDEFULL)));
#endif
}

TEST(WriteLogLine, WithoutALogFileTheDebuggerGetsThePrefixedLine) {
    ASSERT_EQ(nullptr, ProgramLog);
    EXPECT_EQ(L"Logger is null: text\n", DebuggerText(L"text"));
    EXPECT_EQ(L"Logger is null: \n", DebuggerText(L""));
    EXPECT_EQ(L"Logger is null: a\r\nb\n", DebuggerText(L"a\r\nb"));
    const std::string received = DebuggerReceives(L"Preparing Vistalyne Session Handler");
    EXPECT_EQ("Logger is null: Preparing Vistalyne Session Handler\n", received);
}

TEST(WriteLogLine, WithALogFileTheLineLandsThereWithCode999) {
    LogCapture capture;
    WriteLogLine(LogLine());
    WriteLogLine(L"second");
    EXPECT_EQ((std::vector<std::string>{"", "second"}), capture.StatementTexts());
}
