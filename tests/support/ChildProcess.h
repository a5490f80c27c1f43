// Starts a program of the build for an end-to-end test and waits for it while this thread
// keeps handling the messages the program sends it.
#pragma once

#include <windows.h>

#include <functional>
#include <string>

class ChildProcess {
public:
    ChildProcess() = default;
    ~ChildProcess();  // ends a process still running: a failed test must not leave it behind
    ChildProcess(const ChildProcess&) = delete;
    ChildProcess& operator=(const ChildProcess&) = delete;

    // The program is a file name beside the test program.
    bool Start(const std::wstring& program, const std::wstring& arguments,
               WORD showWindow = SW_SHOWDEFAULT);
    bool WaitForExit(DWORD timeoutMs);
    DWORD ExitCode() const;
    DWORD ThreadId() const { return info.dwThreadId; }

private:
    PROCESS_INFORMATION info{};
};

// Handles this thread's messages until done() or the time is up; returns done().
bool PumpUntil(const std::function<bool()>& done, DWORD timeoutMs);
void PumpFor(DWORD milliseconds);
