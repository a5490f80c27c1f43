#include "logging/LogFileManager.h"

#include <algorithm>

#include "logging/ProgramIdentity.h"

namespace {

constexpr wchar_t kExitWarning[] =
    L"Logfile class destroyed by LogFileManager - WARNING: Could be improper shutdown";
constexpr std::uint32_t kProgramLogSizeLimitKb = 1024;

}  // namespace

void LogFileManager::Register(LogFile* file) {
    if (!alive) return;  // after the exit pass the list is gone
    ScopedLock lock(listLock);
    liveFiles.push_back(file);
}

void LogFileManager::Unregister(LogFile* file) {
    if (!alive) return;
    ScopedLock lock(listLock);
    const auto entry = std::find(liveFiles.begin(), liveFiles.end(), file);
    if (entry != liveFiles.end()) liveFiles.erase(entry);
}

void LogFileManager::ExitPass() {
    if (!alive) return;
    alive = false;
    // Exit time: no other thread registers any more, so the list is read without its lock.
    for (LogFile* file : liveFiles) {
        try {
            file->Log(kExitWarningLineCode, kExitWarning);
        } catch (...) {
            // One unwritable log must not keep the warning from the others.
        }
    }
    liveFiles.clear();
}

LogFile* GetProgramLog() {
    if (ProgramLog != nullptr) return ProgramLog;
    std::wstring folder = ReadMainExeDirectory();
    if (!folder.empty()) folder += L"logs";  // the folder already ends with a backslash
    ProgramLog = new LogFile(folder, L"", L".log", kProgramLogSizeLimitKb, true, false, false);
    return ProgramLog;
}
