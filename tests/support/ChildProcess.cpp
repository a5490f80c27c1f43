#include "tests/support/ChildProcess.h"

#include <algorithm>

#include "tests/support/TempFolder.h"

namespace {

void PumpPending() {
    MSG message;
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
}

int refusedStarts = 0;

}  // namespace

int StartsRefusedByThePlatform() {
    return refusedStarts;
}

ChildProcess::~ChildProcess() {
    if (info.hProcess == nullptr) return;
    if (WaitForSingleObject(info.hProcess, 0) == WAIT_TIMEOUT) {
        TerminateProcess(info.hProcess, 99);
        WaitForSingleObject(info.hProcess, 5000);
    }
    CloseHandle(info.hThread);
    CloseHandle(info.hProcess);
}

bool ChildProcess::Start(const std::wstring& program, const std::wstring& arguments,
                         WORD showWindow) {
    return StartIn(ProgramUnderTestFolder(), program, arguments, showWindow);
}

bool ChildProcess::StartIn(const std::wstring& folder, const std::wstring& program,
                           const std::wstring& arguments, WORD showWindow,
                           const std::wstring& outputPath) {
    const std::wstring path = folder + program;
    std::wstring commandLine = L"\"" + path + L"\" " + arguments;
    STARTUPINFOW startup{};
    startup.cb = sizeof(startup);
    startup.dwFlags = STARTF_USESHOWWINDOW;
    startup.wShowWindow = showWindow;
    HANDLE output = INVALID_HANDLE_VALUE;
    if (!outputPath.empty()) {
        SECURITY_ATTRIBUTES inheritable{sizeof(inheritable), nullptr, TRUE};
        output = CreateFileW(outputPath.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                             &inheritable, CREATE_ALWAYS, 0, nullptr);
        if (output == INVALID_HANDLE_VALUE) return false;
        startup.dwFlags |= STARTF_USESTDHANDLES;
        startup.hStdOutput = output;
        startup.hStdError = output;
    }
    bool started = false;
    // About one start in a few thousand, Wine's new process dies before it runs any of the
    // program's code and CreateProcessW fails with ERROR_INTERNAL_ERROR; the program never
    // ran, so starting it again tests the same thing.
    for (int attempt = 0; attempt < 3 && !started; ++attempt) {
        started = CreateProcessW(path.c_str(), &commandLine[0], nullptr, nullptr,
                                 output != INVALID_HANDLE_VALUE, 0, nullptr, nullptr, &startup,
                                 &info) != FALSE;
        if (!started && GetLastError() != ERROR_INTERNAL_ERROR) break;
        if (!started) ++refusedStarts;
    }
    const DWORD error = GetLastError();
    if (output != INVALID_HANDLE_VALUE) CloseHandle(output);  // the child holds its own copy
    SetLastError(error);
    return started;
}

bool ChildProcess::WaitForExit(DWORD timeoutMs) {
    const DWORD start = GetTickCount();
    for (;;) {
        const DWORD elapsed = GetTickCount() - start;
        if (elapsed >= timeoutMs) return WaitForSingleObject(info.hProcess, 0) == WAIT_OBJECT_0;
        const DWORD result =
            MsgWaitForMultipleObjects(1, &info.hProcess, FALSE, timeoutMs - elapsed, QS_ALLINPUT);
        if (result == WAIT_OBJECT_0) return true;
        PumpPending();
    }
}

bool ChildProcess::Terminate() {
    return TerminateProcess(info.hProcess, 99) != FALSE &&
           WaitForSingleObject(info.hProcess, 10000) == WAIT_OBJECT_0;
}

DWORD ChildProcess::ExitCode() const {
    DWORD code = STILL_ACTIVE;
    GetExitCodeProcess(info.hProcess, &code);
    return code;
}

bool PumpUntil(const std::function<bool()>& done, DWORD timeoutMs) {
    const DWORD start = GetTickCount();
    while (!done()) {
        const DWORD elapsed = GetTickCount() - start;
        if (elapsed >= timeoutMs) return false;
        MsgWaitForMultipleObjects(0, nullptr, FALSE, std::min<DWORD>(timeoutMs - elapsed, 20),
                                  QS_ALLINPUT);
        PumpPending();
    }
    return true;
}

void PumpFor(DWORD milliseconds) {
    PumpUntil([] { return false; }, milliseconds);
}
