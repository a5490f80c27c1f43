#include "logging/LogFile.h"

#include <windows.h>

#include <utility>

#include "logging/LogFileManager.h"
#include "logging/LogFileTexts.h"
#include "logging/LogLineFormat.h"
#include "logging/LogRotation.h"
#include "logging/PathParts.h"
#include "logging/ProgramIdentity.h"
#include "logging/TextConversion.h"
#include "support/FolderCreation.h"
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

// Appends one line at lineStart, the end of the file, whole or not at all, and returns the
// bytes it left in the file. A short write (a full disk) is cut back to where the line began:
// a fragment would glue itself to the next line once space returns, tearing two lines.
DWORD AppendWholeLine(HANDLE file, const std::string& line, LARGE_INTEGER lineStart) {
    const auto size = static_cast<DWORD>(line.size());
    DWORD written = 0;
    (void)WriteFile(file, line.data(), size, &written, nullptr);  // the count tells
    if (written == size || written == 0) return written;
    if (SetFilePointerEx(file, lineStart, nullptr, FILE_BEGIN) && SetEndOfFile(file)) return 0;
    return written;  // could not cut: the fragment stays, and counts
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
    // Creates missing parents too; an existing folder, the normal case, costs one look.
    if (!IsExistingFolder(this->directory)) (void)CreateFolderWithParents(this->directory);
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
        if (!CurrentFileExists()) StartReplacementFile();
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
    // An ordinary line is never the first line of a file: an empty one lacks its opening
    // lines (taken away after the check above, or its notice and banner refused), so start
    // over once as for a missing file.
    if (AppendEntry(code, text, true)) return;
    StartReplacementFile();
    (void)AppendEntry(code, text, true);  // refused again: the line is lost
}

void LogFile::StartReplacementFile() {
    StartNewFile();
    WriteEntry(kBannerLineCode, kMissingFileNotice);
    WriteBanner(true);
}

void LogFile::WriteEntry(std::uint16_t code, const std::wstring& text) {
    (void)AppendEntry(code, text, false);
}

bool LogFile::AppendEntry(std::uint16_t code, const std::wstring& text, bool onlyIntoStartedFile) {
    const std::string flattened = FlattenLineText(WideToNarrow(text));
    if (watchdogForwarding && ForwardToWatchdog(code, flattened)) return true;

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
    if (!file.IsOpen()) return true;  // the line is lost; the log never reports failure
    LARGE_INTEGER end{};
    // Without the end the line would overwrite the start of the file: drop it instead.
    if (!SetFilePointerEx(file.Get(), LARGE_INTEGER{}, &end, FILE_END)) return true;
    if (end.QuadPart == 0 && onlyIntoStartedFile) {
        file.Close();
        (void)DeleteFileW(currentPath.c_str());  // empty, and ours: the next try starts afresh
        return false;
    }
    bytesWritten += AppendWholeLine(file.Get(), line, end);  // only what stays counts
    return true;
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
