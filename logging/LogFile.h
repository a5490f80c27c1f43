// One rotating log: a folder of files named after the program and the UTC time each started.
#pragma once

#include <cstdint>
#include <ctime>
#include <string>

#include "support/CriticalSection.h"

constexpr std::uint16_t kBannerLineCode = 305;
constexpr std::uint16_t kClosingLineCode = 306;
constexpr std::uint16_t kExitWarningLineCode = 307;

class LogFile {
public:
    LogFile(std::wstring directory, std::wstring namePrefix, std::wstring extension,
            std::uint32_t sizeLimitKb, bool newFilePerDay, bool watchdogForwarding, bool fixedName);
    LogFile(std::wstring directory, std::wstring namePrefix, std::uint32_t sizeLimitKb,
            bool newFilePerDay, bool watchdogForwarding, bool fixedName);
    ~LogFile();
    LogFile(const LogFile&) = delete;
    LogFile& operator=(const LogFile&) = delete;

    // Rotates when the file went missing, the UTC date changed or the file grew too big;
    // then writes the line.
    void Log(std::uint16_t code, const std::wstring& text);

    // Writes one line, or forwards it to the watchdog; never rotates, never reports failure.
    void WriteEntry(std::uint16_t code, const std::wstring& text);

    const std::wstring& CurrentPath() const { return currentPath; }
    std::uint32_t BytesWritten() const { return bytesWritten; }

private:
    void StartNewFile();
    // A new file for one that went missing: the notice, then the banner.
    void StartReplacementFile();
    // WriteEntry's work. With onlyIntoStartedFile (an ordinary line, which must follow the
    // file's opening lines), returns false and writes nothing when the file is empty: made by
    // this very open after being taken away, or left empty when its opening lines were refused.
    bool AppendEntry(std::uint16_t code, const std::wstring& text, bool onlyIntoStartedFile);
    std::wstring BuildFileName() const;
    void WriteBanner(bool next);
    bool CurrentFileExists() const;
    bool ForwardToWatchdog(std::uint16_t code, const std::string& flattenedText) const;

    std::wstring directory;
    std::wstring namePrefix;
    std::wstring extension;
    bool newFilePerDay;
    bool watchdogForwarding;
    bool fixedName;
    std::uint32_t sizeLimitKb;
    CriticalSection fileLock;  // held around the open-append-close of one line
    std::wstring currentPath;
    std::tm startTime{};
    int tickRemainder = 0;
    std::uint32_t bytesWritten = 0;
};
