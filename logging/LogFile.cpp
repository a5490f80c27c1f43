#include "logging/LogFile.h"

#include <windows.h>
#include <shlobj.h>

#include <utility>

#include "logging/LogFileManager.h"
#include "logging/LogFileTexts.h"
#include "logging/LogLineFormat.h"
#include "logging/LogRotation.h"
#include "logging/PathParts.h"
#include "logging/ProgramIdentity.h"
#include "logging/TextConversion.h"
#include "support/ScopedFile.h"

namespace {

constexpr wchar_t kDefaultExtension[] = L".log";
constexpr wchar_t kMissingFileNotice[] =
    L"Starting new file from missing previous (log file copied out)";
constexpr wchar_t kNewDayNotice[] = L"New Day, Creating New Log File.  Shutting down this log file";
constexpr wchar_t kTooBigNotice[] =
    L"Log file too big, Creating New Log File.  Shutting down this log file";
constexpr wchar_t kClosingLine[] = L"LogFile Destroy Method Called. Shutting down log file";
constexpr size_t kFixedNameRuleLength = 93;
constexpr DWORD kOpenRetryDelayMs = 10;

constexpr wchar_t kWatchdogWindowClass[] = L"TWatchdogMainWindow";
constexpr wchar_t kWatchdogWindowTitle[] = L"Orlamede - Watchdog Control Panel";
constexpr UINT kWatchdogSendTimeoutMs = 2000;

HANDLE OpenForAppend(const std::wstring& path) {
    return CreateFileW(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr, OPEN_ALWAYS, 0,
                       nullptr);
}

std::tm CurrentUtc() {
    SYSTEMTIME now{};
    GetSystemTime(&now);
    return BrokenDownUtc(now);
}

}  // namespace

LogFile::LogFile(std::wstring directory, std::wstring namePrefix, std::wstring extension,
                 std::uint32_t sizeLimitKb, bool newFilePerDay, bool watchdogForwarding,
                 bool fixedName)
    : directory(std::move(directory)),
      namePrefix(std::move(namePrefix)),
      extension(std::move(extension)),
      newFilePerDay(newFilePerDay),
      watchdogForwarding(watchdogForwarding),
      fixedName(fixedName),
      sizeLimitKb(sizeLimitKb) {
    TheLogFileManager.Register(this);
    if (this->watchdogForwarding) {
        this->sizeLimitKb = 0;  // a forwarding log never rotates
        this->newFilePerDay = false;
    }
    if (this->namePrefix.empty()) this->namePrefix = FileNamePart(ModulePath());
    if (this->directory.empty()) this->directory = DirectoryPart(ModulePath()) + L"logs";
    this->directory = WithTrailingBackslash(this->directory);
    // Creates missing parents too; an existing folder is the normal case.
    (void)SHCreateDirectoryExW(nullptr, this->directory.c_str(), nullptr);
    StartNewFile();
    WriteBanner(false);
}

LogFile::LogFile(std::wstring directory, std::wstring namePrefix, std::uint32_t sizeLimitKb,
                 bool newFilePerDay, bool watchdogForwarding, bool fixedName)
    : LogFile(std::move(directory), std::move(namePrefix), kDefaultExtension, sizeLimitKb,
              newFilePerDay, watchdogForwarding, fixedName) {}

LogFile::~LogFile() {
    WriteEntry(kClosingLineCode, kClosingLine);
    if (fixedName) {
        // A fixed-name file collects many runs: a rule and a blank line set this one off.
        WriteEntry(kClosingLineCode, std::wstring(kFixedNameRuleLength, L'-'));
        WriteEntry(kClosingLineCode, L"");
    }
    TheLogFileManager.Unregister(this);
}

void LogFile::Log(std::uint16_t code, const std::wstring& text) {
    if (!watchdogForwarding) {
        if (!CurrentFileExists()) {
            StartNewFile();
            WriteEntry(kBannerLineCode, kMissingFileNotice);
            WriteBanner(true);
        }
        if (newFilePerDay && IsOtherUtcDate(startTime, CurrentUtc())) {
            WriteEntry(kClosingLineCode, kNewDayNotice);
            StartNewFile();
            WriteBanner(true);
        }
        if (IsOverSizeLimit(bytesWritten, sizeLimitKb)) {
            WriteEntry(kClosingLineCode, kTooBigNotice);
            StartNewFile();
            WriteBanner(true);
        }
    }
    WriteEntry(code, text);
}

void LogFile::WriteEntry(std::uint16_t code, const std::wstring& text) {
    const std::string flattened = FlattenLineText(WideToNarrow(text));
    if (watchdogForwarding && ForwardToWatchdog(code, flattened)) return;

    SYSTEMTIME now{};
    GetSystemTime(&now);
    const std::string line = BuildLogFileLine(now, code, flattened);

    ScopedLock lock(fileLock);
    HANDLE handle = OpenForAppend(currentPath);
    if (handle == INVALID_HANDLE_VALUE) {
        Sleep(kOpenRetryDelayMs);  // another writer may hold it for a moment
        handle = OpenForAppend(currentPath);
    }
    ScopedFile file(handle);
    if (!file.IsOpen()) return;  // the line is lost; the log never reports failure
    (void)SetFilePointer(file.Get(), 0, nullptr, FILE_END);
    DWORD written = 0;
    (void)WriteFile(file.Get(), line.data(), static_cast<DWORD>(line.size()), &written, nullptr);
    bytesWritten += written;  // only what reached the file counts towards the size limit
}

void LogFile::StartNewFile() {
    bytesWritten = 0;
    startTime = CurrentUtc();
    tickRemainder = static_cast<int>(GetTickCount() % 1000);
    currentPath = BuildFileName();
}

std::wstring LogFile::BuildFileName() const {
    if (fixedName) return directory + namePrefix + extension;
    return directory + namePrefix + FormatFileDatePart(startTime, tickRemainder, sizeLimitKb != 0) +
           extension;
}

void LogFile::WriteBanner(bool next) {
    const BannerFacts facts{sizeLimitKb, newFilePerDay, FileNamePart(ModulePath()),
                            GetProgramVersion(),
                            static_cast<std::uint32_t>(WTSGetActiveConsoleSessionId())};
    WriteEntry(kBannerLineCode, BannerText(next, facts));
}

bool LogFile::CurrentFileExists() const {
    // Any failure counts as missing, a file held open without read sharing included.
    ScopedFile file(CreateFileW(currentPath.c_str(), GENERIC_READ,
                                FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                                FILE_ATTRIBUTE_NORMAL, nullptr));
    return file.IsOpen();
}

bool LogFile::ForwardToWatchdog(std::uint16_t code, const std::string& flattenedText) const {
    HWND watchdog = FindWindowW(kWatchdogWindowClass, kWatchdogWindowTitle);
    if (watchdog == nullptr) return false;
    COPYDATASTRUCT data{};
    data.dwData = code;
    data.cbData = static_cast<DWORD>(flattenedText.size());
    data.lpData = const_cast<char*>(flattenedText.data());  // the receiver only reads it
    DWORD_PTR reply = 0;
    // Bounded and abandoned if hung: a stuck watchdog costs one line, never the program.
    (void)SendMessageTimeoutW(watchdog, WM_COPYDATA, reinterpret_cast<WPARAM>(GetDesktopWindow()),
                              reinterpret_cast<LPARAM>(&data), SMTO_ABORTIFHUNG | SMTO_BLOCK,
                              kWatchdogSendTimeoutMs, &reply);
    return true;
}
