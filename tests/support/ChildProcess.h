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

    // The program is a file name in the folder of the programs under test.
    bool Start(const std::wstring& program, const std::wstring& arguments,
               WORD showWindow = SW_SHOWDEFAULT);
    // With an output path, the program's standard output and error go to that file.
    bool StartIn(const std::wstring& folder, const std::wstring& program,
                 const std::wstring& arguments, WORD showWindow = SW_SHOWDEFAULT,
                 const std::wstring& outputPath = L"");
    bool WaitForExit(DWORD timeoutMs);
    DWORD ExitCode() const;
    DWORD ThreadId() const { return info.dwThreadId; }
    HANDLE Process() const { return info.hProcess; }
    // Ends the process at once, as a crash or a kill from outside would.
    bool Terminate();

private:
    PROCESS_INFORMATION info{};
};

// Handles this thread's messages until done() or the time is up; returns done().
bool PumpUntil(const std::function<bool()>& done, DWORD timeoutMs);
void PumpFor(DWORD milliseconds);

// How many starts CreateProcessW refused with ERROR_INTERNAL_ERROR; each is tried again, up to
// three tries for one program.
int StartsRefusedByThePlatform();
