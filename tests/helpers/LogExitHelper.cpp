// Test helper: writes one line into a log in the given folder and ends the process, either
// after destroying the log ("destroy") or leaving it to the exit-time clean-up ("keep").

#include <windows.h>

#include <cwchar>

#include "logging/LogFile.h"
#include "logging/LogStatement.h"

int wmain(int argc, wchar_t** argv) {
    if (argc != 3) return 2;
    auto* log = new LogFile(argv[1], L"helper", 0, false, false, true);
    log->Log(kStatementLineCode, L"helper line");
    if (std::wcscmp(argv[2], L"destroy") == 0) delete log;
    return 0;
}
