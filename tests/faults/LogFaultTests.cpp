// Faults around the log: files deleted, moved and locked while the program writes, the folder
// deleted, a full disk, and registry values that name no usable folder.

#include <windows.h>

#include <atomic>
#include <iostream>
#include <map>
#include <thread>

#include "tests/e2e/EndToEnd.h"
#include "tests/support/StrictLog.h"

namespace {

const char kMissingNotice[] = "Starting new file from missing previous (log file copied out)";

class LogFaults : public EndToEnd {
protected:
    // Sends count receipts of "<prefix><n>" with identifier 100, one log line each.
    void SendNumbered(const std::string& prefix, int count) const {
        for (int i = 0; i < count; ++i) Reply(prefix + std::to_string(i));
    }
};

std::string ReceiptOf(const std::string& text) {
    return "Received message from vistalyne | ID: 100 | Message: " + text;
}

bool StartsWith(const std::string& text, const std::string& prefix) {
    return text.compare(0, prefix.size(), prefix) == 0;
}

// What a reader finds in one log file: the notice only in a file started for a missing one,
// then the banner, then the rest.
std::string OpeningProblem(const std::vector<std::string>& texts) {
    if (texts.empty()) return "empty file";
    size_t banner = texts[0] == kMissingNotice ? 1 : 0;
    if (banner >= texts.size()) return "a notice without a banner";
    if (!StartsWith(texts[banner], "Starting new UTC Logfile") &&
        !StartsWith(texts[banner], "Starting next UTC logfile")) {
        return "opens with: " + texts[0];
    }
    return "";
}

std::wstring Newest(const std::wstring& folder) {
    const std::vector<std::wstring> names = FilesIn(folder);
    return names.empty() ? L"" : folder + names.back();
}

// Takes the program's current file away in the three ways of the outside world, in turn:
// moved to another folder, deleted (its lines kept here first, under an exclusive open, so
// none can be added in between), and held open without read sharing for a while.
class LogChurner {
public:
    LogChurner(std::wstring logFolder, std::wstring movedFolder)
        : logFolder(std::move(logFolder)), movedFolder(std::move(movedFolder)) {
        CreateDirectoryW(this->movedFolder.c_str(), nullptr);
        worker = std::thread([this] { Run(); });
    }
    ~LogChurner() { Stop(); }
    void Stop() {
        stop = true;
        if (worker.joinable()) worker.join();
    }
    int Operations() const { return moves + deletions + holds; }
    std::vector<std::string> deletedContents;  // read only after Stop()
    std::atomic<int> moves{0};
    std::atomic<int> deletions{0};
    std::atomic<int> holds{0};

private:
    void Run() {
        for (int turn = 0; !stop; ++turn) {
            Sleep(15);
            const std::wstring current = Newest(logFolder);
            if (current.empty()) continue;
            switch (turn % 3) {
                case 0:
                    if (MoveFileW(current.c_str(),
                                  (movedFolder + std::to_wstring(turn) + L".log").c_str())) {
                        ++moves;
                    }
                    break;
                case 1:
                    Delete(current);
                    break;
                case 2: {
                    HANDLE held = CreateFileW(current.c_str(), GENERIC_READ, 0, nullptr,
                                              OPEN_EXISTING, 0, nullptr);
                    if (held == INVALID_HANDLE_VALUE) break;
                    ++holds;
                    Sleep(30);
                    CloseHandle(held);
                    break;
                }
            }
        }
    }
    void Delete(const std::wstring& path) {
        HANDLE file =
            CreateFileW(path.c_str(), GENERIC_READ | DELETE, 0, nullptr, OPEN_EXISTING, 0, nullptr);
        if (file == INVALID_HANDLE_VALUE) return;
        std::string bytes;
        char buffer[65536];
        DWORD read = 0;
        while (ReadFile(file, buffer, sizeof(buffer), &read, nullptr) && read > 0) {
            bytes.append(buffer, read);
        }
        FILE_DISPOSITION_INFO disposition{TRUE};
        if (SetFileInformationByHandle(file, FileDispositionInfo, &disposition,
                                       sizeof(disposition))) {
            deletedContents.push_back(bytes);
            ++deletions;
        }
        CloseHandle(file);
    }

    std::wstring logFolder;
    std::wstring movedFolder;
    std::atomic<bool> stop{false};
    std::thread worker;
};

// The small disk that scripts/test mounts for this run, or why there is none.
std::wstring SmallDiskFolder() {
    wchar_t value[MAX_PATH];
    const DWORD length = GetEnvironmentVariableW(L"VSH_SMALL_DISK", value, MAX_PATH);
    return length > 0 && length < MAX_PATH ? std::wstring(value, length) : L"";
}

std::string SmallDiskAbsence() {
    char value[512];
    const DWORD length = GetEnvironmentVariableA("VSH_SMALL_DISK_ABSENT", value, sizeof(value));
    return length > 0 && length < sizeof(value)
               ? std::string(value, length)
               : "no small disk was mounted for this run (scripts/test mounts one)";
}

bool DeleteFolderWithFiles(const std::wstring& folder) {
    for (const std::wstring& name : FilesIn(folder)) DeleteFileW((folder + name).c_str());
    return RemoveDirectoryW(folder.c_str()) != FALSE;
}

// Writes a value of any type and length under the kiosk application's key, 32-bit view.
bool SetMainExeValue(DWORD type, const void* data, DWORD size) {
    HKEY key = nullptr;
    if (RegCreateKeyExW(HKEY_LOCAL_MACHINE, L"Software\\Ferrowick\\Korvane", 0, nullptr, 0,
                        KEY_WRITE | KEY_WOW64_32KEY, nullptr, &key, nullptr) != ERROR_SUCCESS) {
        return false;
    }
    const LONG result =
        RegSetValueExW(key, L"mainexe", 0, type, static_cast<const BYTE*>(data), size);
    RegCloseKey(key);
    return result == ERROR_SUCCESS;
}

}  // namespace

TEST_F(LogFaults, EveryLineLandsWholeInExactlyOneFileWhileFilesAreTakenAway) {
    kiosk.CreateTarget(kiosk.CreateForm());
    ASSERT_TRUE(Launch());
    ASSERT_TRUE(WaitForSessionStart());
    Reply("sessionactive");
    // Hundreds of lines at least, and as many more as it takes for the churn to bite often.
    const int kOperations = 45;
    int messages = 0;
    LogChurner churner(LogFolder(), kioskFolder.Path() + L"moved\\");
    while (messages < 500 || (churner.Operations() < kOperations && messages < 20000)) {
        Reply("churn-" + std::to_string(messages++));
    }
    churner.Stop();
    Reply("sessionend");
    ASSERT_TRUE(WaitForExit());
    EXPECT_EQ(0u, program.ExitCode());

    std::vector<std::pair<std::string, std::string>> contents;  // where from, bytes
    for (const std::string& bytes : churner.deletedContents)
        contents.emplace_back("deleted", bytes);
    for (const std::wstring& folder : {LogFolder(), kioskFolder.Path() + L"moved\\"}) {
        for (const std::wstring& name : FilesIn(folder)) {
            contents.emplace_back(std::string(name.begin(), name.end()),
                                  ReadWholeFile(folder + name));
        }
    }
    std::map<std::string, int> seen;
    for (const auto& content : contents) {
        const StrictLog log = ReadStrictLog(content.second);
        EXPECT_EQ("", log.problem) << content.first;
        std::vector<std::string> texts;
        for (const std::string& line : log.lines) texts.push_back(LineText(line));
        EXPECT_EQ("", OpeningProblem(texts))
            << content.first << ", " << texts.size() << " lines, from "
            << (log.lines.empty() ? "" : log.lines.front().substr(0, 17)) << " to "
            << (log.lines.empty() ? "" : log.lines.back().substr(0, 17));
        for (const std::string& text : texts) ++seen[text];
    }
    int refused = 0;
    for (int i = 0; i < messages; ++i) {
        const int copies = seen[ReceiptOf("churn-" + std::to_string(i))];
        EXPECT_LE(copies, 1) << "churn-" << i;
        if (copies == 0) ++refused;
    }
    std::cout << "files moved " << churner.moves << ", deleted " << churner.deletions << ", held "
              << churner.holds << "; lines the platform refused: " << refused << " of " << messages
              << "\n";
    EXPECT_GE(churner.Operations(), kOperations);
    // A line is refused only when both tries to open a file fail, which needs a file held
    // exclusively under the very name the program went on to.
    EXPECT_LE(refused, churner.holds + churner.deletions);
    EXPECT_EQ(1, seen[ReceiptOf("sessionend")]);
}

TEST_F(LogFaults, ADeletedLogFolderLeavesTheSessionRunningToItsNormalEnd) {
    kiosk.CreateTarget(kiosk.CreateForm());
    ASSERT_TRUE(Launch());
    ASSERT_TRUE(WaitForSessionStart());
    Reply("sessionactive");
    SendNumbered("before-", 20);
    ASSERT_TRUE(PumpUntil([&] { return DeleteFolderWithFiles(LogFolder()); }, 10000));
    SendNumbered("after-", 20);
    EXPECT_FALSE(program.WaitForExit(200));
    Reply("sessionend");
    ASSERT_TRUE(WaitForExit());
    EXPECT_EQ(0u, program.ExitCode());
}

TEST_F(LogFaults, AFullDiskLeavesOnlyWholeLinesAndTheSessionGoesOn) {
    const std::wstring disk = WindowsFolder(SmallDiskFolder());
    if (disk.empty()) GTEST_SKIP() << SmallDiskAbsence();
    ULARGE_INTEGER total{};
    ASSERT_TRUE(GetDiskFreeSpaceExW(disk.c_str(), nullptr, &total, nullptr));
    ASSERT_LE(total.QuadPart, 16u << 20) << "VSH_SMALL_DISK is not a small disk: not filling it";
    const std::wstring onDisk = disk + L"kiosk-" + std::to_wstring(GetCurrentProcessId());
    ASSERT_TRUE(CreateDirectoryW(onDisk.c_str(), nullptr));
    registry.reset();  // the old one removes the whole key when it goes
    registry = std::make_unique<KioskRegistry>(onDisk + L"\\Korvane.exe", KEY_WOW64_32KEY);
    const std::wstring logs = onDisk + L"\\logs\\";

    // Fill the disk, then free one page of it for the log.
    const std::wstring filler = onDisk + L"\\filler";
    HANDLE file = CreateFileW(filler.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    ASSERT_NE(INVALID_HANDLE_VALUE, file);
    const std::string block(65536, 'f');
    DWORD written = 0;
    LARGE_INTEGER size{};
    while (WriteFile(file, block.data(), static_cast<DWORD>(block.size()), &written, nullptr) &&
           written == block.size()) {
        size.QuadPart += written;
    }
    size.QuadPart += written;
    size.QuadPart = size.QuadPart > 4096 ? size.QuadPart - 4096 : 0;
    ASSERT_TRUE(SetFilePointerEx(file, size, nullptr, FILE_BEGIN));
    ASSERT_TRUE(SetEndOfFile(file));
    CloseHandle(file);

    kiosk.CreateTarget(kiosk.CreateForm());
    ASSERT_TRUE(Launch());
    ASSERT_TRUE(WaitForSessionStart());
    Reply("sessionactive");
    SendNumbered("full-", 100);  // some 90 bytes a line: the page is full long before the end
    ASSERT_TRUE(DeleteFileW(filler.c_str()));
    SendNumbered("freed-", 50);
    Reply("sessionend");
    ASSERT_TRUE(WaitForExit());
    EXPECT_EQ(0u, program.ExitCode());

    std::map<std::string, int> seen;
    for (const std::wstring& name : FilesIn(logs)) {
        const StrictLog log = ReadStrictLog(ReadWholeFile(logs + name));
        EXPECT_EQ("", log.problem) << "in " << std::string(name.begin(), name.end());
        for (const std::string& line : log.lines) ++seen[LineText(line)];
    }
    int kept = 0;
    while (kept < 100 && seen[ReceiptOf("full-" + std::to_string(kept))] == 1) ++kept;
    std::cout << "lines kept before the disk was full: " << kept << " of 100\n";
    EXPECT_LT(kept, 100) << "the disk never filled up";
    for (int i = kept; i < 100; ++i) EXPECT_EQ(0, seen[ReceiptOf("full-" + std::to_string(i))]);
    for (int i = 0; i < 50; ++i) EXPECT_EQ(1, seen[ReceiptOf("freed-" + std::to_string(i))]);
    EXPECT_EQ(1, seen["Received sessionend message, closing application"]);
    DeleteFolderWithFiles(logs);
    RemoveDirectoryW(onDisk.c_str());
}

TEST_F(LogFaults, RegistryValuesThatNameNoUsableFolderNeitherCrashNorStrayTheLog) {
    const std::wstring ownFolder = kioskFolder.Path() + L"Korvane.exe";
    const std::wstring longFolder = L"C:\\" + std::wstring(16000, L'a');
    const std::wstring longValue = longFolder + L"\\Korvane.exe";  // 32 KiB of text
    const std::wstring deepFolder =
        kioskFolder.Path() + std::wstring(120, L'd') + L"\\" + std::wstring(120, L'e');
    const DWORD number = 0x5C5C5C5C;  // backslashes as bytes, not as wide characters
    const BYTE odd[] = {'x', 0, 'y', 0, 'z'};
    struct Case {
        const char* what;
        DWORD type;
        const void* data;
        DWORD size;
        std::wstring logs;  // where the log must land; empty: beside the program copy
        bool mayBeDropped;  // a folder the platform may refuse to create
    };
    const std::wstring deepExe = deepFolder + L"\\Korvane.exe";
    const Case cases[] = {
        {"a number", REG_DWORD, &number, sizeof(number), L"", false},
        {"an odd number of bytes", REG_BINARY, odd, sizeof(odd), L"", false},
        {"text without its terminating zero", REG_SZ, ownFolder.c_str(),
         static_cast<DWORD>(ownFolder.size() * sizeof(wchar_t)), kioskFolder.Path() + L"logs\\",
         false},
        {"32 KiB of text", REG_SZ, longValue.c_str(),
         static_cast<DWORD>((longValue.size() + 1) * sizeof(wchar_t)), longFolder + L"\\logs\\",
         true},
        {"a folder whose log path is longer than MAX_PATH", REG_EXPAND_SZ, deepExe.c_str(),
         static_cast<DWORD>((deepExe.size() + 1) * sizeof(wchar_t)), deepFolder + L"\\logs\\",
         true},
    };
    kiosk.CreateTarget(kiosk.CreateForm());
    kiosk.OnReceive([](const ReceivedCopyData& start) {
        FakeKiosk::Send(reinterpret_cast<HWND>(start.sender), 100, "sessionend");
    });
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        TempFolder copyFolder;
        ASSERT_TRUE(SetMainExeValue(c.type, c.data, c.size));
        ASSERT_TRUE(CopyProgramTo(copyFolder.Path()));
        ChildProcess run;
        ASSERT_TRUE(run.StartIn(copyFolder.Path(), kProgramName, L"PageName=Home"));
        ASSERT_TRUE(run.WaitForExit(kProgramExitBoundMs));
        EXPECT_EQ(0u, run.ExitCode());
        const std::wstring besideProgram = copyFolder.Path() + L"logs\\";
        const std::wstring expected = c.logs.empty() ? besideProgram : c.logs;
        if (expected != besideProgram) {
            EXPECT_TRUE(FilesIn(besideProgram).empty());
        }
        const std::vector<std::string> lines = LogFolderLines(expected);
        if (c.mayBeDropped && lines.empty()) continue;
        ASSERT_FALSE(lines.empty());
        EXPECT_EQ("LogFile Destroy Method Called. Shutting down log file", LineText(lines.back()));
        DeleteFolderWithFiles(expected);
    }
}
