// Measures one log line through LogFile::Log (existence check, clock, open-append-close)
// against a bare open-append-close loop of the same bytes, in the same run.

#include <windows.h>

#include <cstdio>
#include <string>

#include "logging/LogFile.h"
#include "logging/LogLineFormat.h"
#include "logging/LogStatement.h"
#include "support/MonotonicClock.h"
#include "support/ScopedFile.h"

namespace {

constexpr int kLines = 10000;

std::wstring MakeFolder() {
    wchar_t temp[MAX_PATH];
    GetTempPathW(MAX_PATH, temp);
    std::wstring folder = std::wstring(temp) + L"vsh-bench-" + std::to_wstring(GetTickCount());
    CreateDirectoryW(folder.c_str(), nullptr);
    return folder + L"\\";
}

}  // namespace

int wmain() {
    const std::wstring folder = MakeFolder();
    const std::wstring text = L"Received message from vistalyne | ID: 100 | Message: sessionactive";

    // No size limit and no day rotation: every call is the same work.
    auto* log = new LogFile(folder, L"bench", 0, false, false, true);
    const std::int64_t logStart = MonotonicNow();
    for (int i = 0; i < kLines; ++i) log->Log(kStatementLineCode, text);
    const std::int64_t logNs = MonotonicNow() - logStart;
    delete log;

    SYSTEMTIME now{};
    GetSystemTime(&now);
    const std::string line =
        BuildLogFileLine(now, kStatementLineCode, std::string(text.begin(), text.end()));
    const std::wstring barePath = folder + L"bare.log";
    const std::int64_t bareStart = MonotonicNow();
    for (int i = 0; i < kLines; ++i) {
        ScopedFile file(CreateFileW(barePath.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr,
                                    OPEN_ALWAYS, 0, nullptr));
        if (!file.IsOpen()) continue;
        SetFilePointer(file.Get(), 0, nullptr, FILE_END);
        DWORD written = 0;
        WriteFile(file.Get(), line.data(), static_cast<DWORD>(line.size()), &written, nullptr);
    }
    const std::int64_t bareNs = MonotonicNow() - bareStart;

    DeleteFileW((folder + L"bench.log").c_str());
    DeleteFileW(barePath.c_str());
    RemoveDirectoryW(folder.c_str());

    std::printf("lines: %d\n", kLines);
    std::printf("LogFile::Log:            %8.1f ms total, %6.1f us per line\n", logNs / 1e6,
                logNs / 1e3 / kLines);
    std::printf("bare open-append-close:  %8.1f ms total, %6.1f us per line\n", bareNs / 1e6,
                bareNs / 1e3 / kLines);
    std::printf("ratio: %.2f\n", static_cast<double>(logNs) / static_cast<double>(bareNs));
    return 0;
}
