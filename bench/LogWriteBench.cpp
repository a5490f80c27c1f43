// Times one log line through LogFile::Log, set up as the program's own log (1024 kB files, a
// new one each UTC day), against two floors writing the same bytes: a bare open-append-close,
// and that plus the existence test that every Log call makes (open the file as existing and
// close it). Rounds alternate the three; per-line medians with their ranges.

#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "logging/LogFile.h"
#include "logging/LogLineFormat.h"
#include "logging/LogStatement.h"
#include "support/MonotonicClock.h"
#include "support/ScopedFile.h"

namespace {

constexpr int kRounds = 9;
constexpr int kLinesPerRound = 1000;

std::wstring MakeFolder() {
    wchar_t temp[MAX_PATH];
    GetTempPathW(MAX_PATH, temp);
    std::wstring folder =
        std::wstring(temp) + L"vsh-bench-" + std::to_wstring(GetCurrentProcessId());
    CreateDirectoryW(folder.c_str(), nullptr);
    return folder + L"\\";
}

void AppendBare(const std::wstring& path, const std::string& line) {
    ScopedFile file(CreateFileW(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr, OPEN_ALWAYS,
                                0, nullptr));
    if (!file.IsOpen()) return;
    SetFilePointer(file.Get(), 0, nullptr, FILE_END);
    DWORD written = 0;
    WriteFile(file.Get(), line.data(), static_cast<DWORD>(line.size()), &written, nullptr);
}

bool Exists(const std::wstring& path) {
    ScopedFile file(CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    return file.IsOpen();
}

// Microseconds a line over one round of the given writer.
template <typename Writer>
double PerLineUs(Writer write) {
    const std::int64_t start = MonotonicNow();
    for (int i = 0; i < kLinesPerRound; ++i) write();
    return static_cast<double>(MonotonicNow() - start) / 1e3 / kLinesPerRound;
}

void Print(const char* what, std::vector<double> us, double floor) {
    std::sort(us.begin(), us.end());
    const double median = us[us.size() / 2];
    std::printf("| %s | %.0f us (%.0f-%.0f) | %s |\n", what, median, us.front(), us.back(),
                floor > 0 ? std::to_string(median / floor).substr(0, 4).c_str() : "-");
}

}  // namespace

int wmain() {
    const std::wstring folder = MakeFolder();
    const std::wstring text = L"Received message from vistalyne | ID: 100 | Message: sessionactive";
    auto* log = new LogFile(folder, L"", L".log", 1024, true, false, false);
    SYSTEMTIME now{};
    GetSystemTime(&now);
    const std::string line =
        BuildLogFileLine(now, kStatementLineCode, std::string(text.begin(), text.end()));
    const std::wstring barePath = folder + L"bare.log";
    const std::wstring checkedPath = folder + L"checked.log";
    AppendBare(checkedPath, line);  // the existence test finds it from the first line on

    std::vector<double> logUs, bareUs, checkedUs;
    for (int round = 0; round < kRounds; ++round) {
        logUs.push_back(PerLineUs([&] { log->Log(kStatementLineCode, text); }));
        bareUs.push_back(PerLineUs([&] { AppendBare(barePath, line); }));
        checkedUs.push_back(PerLineUs([&] {
            (void)Exists(checkedPath);
            AppendBare(checkedPath, line);
        }));
    }
    const std::wstring logPath = log->CurrentPath();
    delete log;

    std::vector<double> sortedChecked = checkedUs;
    std::sort(sortedChecked.begin(), sortedChecked.end());
    const double checkedMedian = sortedChecked[sortedChecked.size() / 2];
    std::printf("| a log line (%d rounds of %d) | median (range) | against the last floor |\n",
                kRounds, kLinesPerRound);
    std::printf("|---|---|---|\n");
    Print("LogFile::Log", logUs, checkedMedian);
    Print("floor: open-append-close", bareUs, 0);
    Print("floor: existence test + open-append-close", checkedUs, 0);

    WIN32_FIND_DATAW found;
    HANDLE search = FindFirstFileW((folder + L"*").c_str(), &found);
    if (search != INVALID_HANDLE_VALUE) {
        do {
            DeleteFileW((folder + found.cFileName).c_str());
        } while (FindNextFileW(search, &found));
        FindClose(search);
    }
    RemoveDirectoryW(folder.c_str());
    return 0;
}
