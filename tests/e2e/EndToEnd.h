// Runs the real program under Wine against a kiosk application played by this test process,
// with the program's logs sent to a temporary kiosk folder through the registry.
#pragma once

#include <windows.h>

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "tests/support/ChildProcess.h"
#include "tests/support/FakeKiosk.h"
#include "tests/support/KioskRegistry.h"
#include "tests/support/TempFolder.h"

constexpr DWORD kProgramExitBoundMs = 20000;  // generous: a loaded machine runs Wine slowly
constexpr wchar_t kProgramName[] = L"VistalyneSessionHandler.exe";

// With VSH_KEEP_LOGS naming a folder, a test's logs are kept there under the width and the
// test's name: real logs of every path the program takes, which the log report's tests read.
void KeepLogsOf(const std::wstring& logFolder);

class EndToEnd : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    bool Launch(const std::wstring& arguments = L"PageName=Home", WORD showWindow = SW_SHOWDEFAULT);
    // A copy of the program, to start from another folder (it logs beside itself when the
    // registry names no kiosk folder).
    static bool CopyProgramTo(const std::wstring& folder);
    // Waits until the kiosk window received the session start.
    bool WaitForSessionStart();
    bool WaitForExit() { return program.WaitForExit(kProgramExitBoundMs); }
    HWND MainWindow() const;
    void Reply(const std::string& bytes, ULONG_PTR identifier = 100) const;

    std::wstring LogFolder() const { return kioskFolder.Path() + L"logs\\"; }
    // Every line of the program's log files, in file-name order, then the texts alone.
    std::vector<std::string> LogLines() const;
    std::vector<std::string> LogTexts() const;
    bool LogHas(const std::string& text) const;
    size_t IndexOf(const std::string& text) const;

    static std::string FoundLine(const char* opening, HWND target, HWND form);

    TempFolder kioskFolder;
    std::unique_ptr<KioskRegistry> registry;
    FakeKiosk kiosk;
    ChildProcess program;
};
