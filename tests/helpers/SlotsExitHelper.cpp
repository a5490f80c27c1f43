// Test helper: takes the entry point's path of a session start that cannot be sent (no target
// window) and returns without shutting down, so the exit-time clean-up has to finish the log.

#include <windows.h>

#include "logging/LogFileManager.h"
#include "logging/LogStatement.h"
#include "target/VistalyneMessageProcessor.h"
#include "target/VistalyneProcessMonitor.h"

int wmain(int argc, wchar_t** argv) {
    if (argc != 2) return 2;
    ProgramLog = new LogFile(argv[1], L"", L".log", 1024, true, false, true);
    SetProcessMonitor(new VistalyneProcessMonitor(nullptr));
    CurrentMessageProcessor.reset(new VistalyneMessageProcessor(nullptr, nullptr, L"Home"));
    if (!CurrentMessageProcessor->SendSessionStart()) {
        WriteLogLine(
            LogLine() << "Failed to send session start to vistalyne, closing application.");
        return 0;
    }
    return 3;
}
