// Keeps every live LogFile, so that one never destroyed gets a warning line at process exit.
#pragma once

#include <vector>

#include "logging/LogFile.h"
#include "support/CriticalSection.h"

class LogFileManager {
public:
    LogFileManager() = default;
    ~LogFileManager() { ExitPass(); }
    LogFileManager(const LogFileManager&) = delete;
    LogFileManager& operator=(const LogFileManager&) = delete;

    void Register(LogFile* file);
    void Unregister(LogFile* file);

    // Warns every LogFile still registered; runs once, whoever calls it first.
    void ExitPass();

private:
    CriticalSection listLock;
    std::vector<LogFile*> liveFiles;
    bool alive = true;
};

extern LogFileManager TheLogFileManager;

// The program's own log; null before start-up made it and after shut-down destroyed it.
extern LogFile* ProgramLog;

LogFile* GetProgramLog();
