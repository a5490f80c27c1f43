// Soaks the session handler and prints a table to compare between versions: a flood of random
// WM_COPYDATA messages into one session (rate, receipt lines found, lines lost or torn, growth
// of working set, handles and USER/GDI objects), then sessions back to back (exit codes, time,
// log files that are not well formed). It plays the kiosk application itself.
//
//   SoakDriver --program-dir=DIR [--messages=100000] [--sessions=1000]

#include <windows.h>
#include <psapi.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cwchar>
#include <map>
#include <random>
#include <string>
#include <vector>

#include "support/MonotonicClock.h"
#include "tests/support/ChildProcess.h"
#include "tests/support/FakeKiosk.h"
#include "tests/support/KioskRegistry.h"
#include "tests/support/StrictLog.h"
#include "tests/support/TempFolder.h"
#include "tests/support/ToolOptions.h"
#include "tests/support/UnixSide.h"

namespace {

constexpr wchar_t kProgram[] = L"VistalyneSessionHandler.exe";
constexpr DWORD kBoundMs = 30000;
constexpr UINT kSendTimeoutMs = 5000;

// Under Wine, GetProcessHandleCount and GetGuiResources answer 0 for every process; what
// Wine can show of leaked handles is the open files (Unix descriptors) of the program's own
// Unix process, found through Wine's drive Z: by a marker in its command line.
struct Sample {
    double workingSetMb = 0;
    DWORD handles = 0;
    DWORD userObjects = 0;
    DWORD gdiObjects = 0;
    DWORD unixFiles = 0;
};

Sample SampleOf(HANDLE process, const std::wstring& unixProcess) {
    Sample sample;
    PROCESS_MEMORY_COUNTERS memory{};
    if (GetProcessMemoryInfo(process, &memory, sizeof(memory))) {
        sample.workingSetMb = memory.WorkingSetSize / (1024.0 * 1024.0);
    }
    (void)GetProcessHandleCount(process, &sample.handles);
    sample.userObjects = GetGuiResources(process, GR_USEROBJECTS);
    sample.gdiObjects = GetGuiResources(process, GR_GDIOBJECTS);
    sample.unixFiles = UnixFilesOf(unixProcess);
    return sample;
}

void Widen(Sample& most, const Sample& now) {
    most.workingSetMb = std::max(most.workingSetMb, now.workingSetMb);
    most.handles = std::max(most.handles, now.handles);
    most.userObjects = std::max(most.userObjects, now.userObjects);
    most.gdiObjects = std::max(most.gdiObjects, now.gdiObjects);
    most.unixFiles = std::max(most.unixFiles, now.unixFiles);
}

// Every log file of a folder read strictly: its whole lines' texts, and the files that are not
// well formed.
struct FolderRead {
    std::map<std::string, int> texts;
    int files = 0;
    int notWellFormed = 0;
};

FolderRead ReadFolder(const std::wstring& folder) {
    FolderRead read;
    for (const std::wstring& name : FilesIn(folder)) {
        ++read.files;
        const StrictLog log = ReadStrictLog(ReadWholeFile(folder + name));
        if (!log.problem.empty()) ++read.notWellFormed;
        for (const std::string& line : log.lines) ++read.texts[LineText(line)];
    }
    return read;
}

void Row(const char* what, const std::string& value) {
    std::printf("  %-34s %s\n", what, value.c_str());
}

std::string Format(const char* format, double a, double b = 0, double c = 0, double d = 0) {
    char buffer[200];
    std::snprintf(buffer, sizeof(buffer), format, a, b, c, d);
    return buffer;
}

bool SoakMessages(int count) {
    TempFolder kioskFolder;
    KioskRegistry registry(kioskFolder.Path() + L"Korvane.exe", KEY_WOW64_32KEY);
    FakeKiosk kiosk;
    kiosk.CreateTarget(kiosk.CreateForm());
    // The page name marks the program's Unix process.
    const std::string marker = "PageName=Soak-" + std::to_string(GetCurrentProcessId());
    ChildProcess program;
    if (!program.Start(kProgram, std::wstring(marker.begin(), marker.end())) ||
        !PumpUntil([&] { return !kiosk.Received().empty(); }, kBoundMs)) {
        std::printf("the session did not start\n");
        return false;
    }
    HWND main = reinterpret_cast<HWND>(kiosk.Received().front().sender);
    FakeKiosk::Send(main, 100, "sessionactive");
    PumpFor(500);
    const std::wstring unixProcess = UnixProcessWith(marker);
    const Sample first = SampleOf(program.Process(), unixProcess);
    Sample last = first;
    Sample most = first;

    std::mt19937 random(20261208);
    const char alphabet[] = "abcXYZ019 |\r\n\x80\xC3\xFF";
    int delivered = 0;
    const double started = ElapsedMilliseconds();
    std::string bytes;
    for (int i = 0; i < count; ++i) {
        bytes = "#" + std::to_string(i) + ":";
        const size_t size = bytes.size() + random() % 200;
        while (bytes.size() < size) bytes.push_back(alphabet[random() % (sizeof(alphabet) - 1)]);
        COPYDATASTRUCT data{};
        data.dwData = i % 3 == 0 ? 100 : random();
        data.cbData = static_cast<DWORD>(bytes.size());
        data.lpData = &bytes[0];
        DWORD_PTR result = 0;
        if (SendMessageTimeoutW(main, WM_COPYDATA, 0, reinterpret_cast<LPARAM>(&data),
                                SMTO_ABORTIFHUNG, kSendTimeoutMs, &result)) {
            ++delivered;
        }
        if (i % 5000 == 4999) Widen(most, SampleOf(program.Process(), unixProcess));
    }
    const double seconds = (ElapsedMilliseconds() - started) / 1000.0;
    PumpFor(500);
    last = SampleOf(program.Process(), unixProcess);
    Widen(most, last);
    FakeKiosk::Send(main, 100, "sessionend");
    const bool ended = program.WaitForExit(kBoundMs);

    // Each message's receipt carries its number right after " | Message: #".
    const FolderRead read = ReadFolder(kioskFolder.Path() + L"logs\\");
    std::vector<int> receipts(static_cast<size_t>(count), 0);
    for (const auto& text : read.texts) {
        const size_t at = text.first.find(" | Message: #");
        if (text.first.compare(0, 38, "Received message from vistalyne | ID: ") != 0 ||
            at == std::string::npos) {
            continue;
        }
        const long n = std::strtol(text.first.c_str() + at + 13, nullptr, 10);
        if (n >= 0 && n < count) receipts[static_cast<size_t>(n)] += text.second;
    }
    const auto found = std::count_if(receipts.begin(), receipts.end(), [](int n) { return n > 0; });
    const auto doubled =
        std::count_if(receipts.begin(), receipts.end(), [](int n) { return n > 1; });
    std::printf("Messages\n");
    Row("sent / delivered", Format("%.0f / %.0f", count, delivered));
    Row("rate", Format("%.0f messages a second (%.1f s)", delivered / seconds, seconds));
    Row("receipt lines found",
        Format("%.0f (lost %.0f, written twice %.0f)", found, delivered - found, doubled));
    Row("log files / not well formed (torn)",
        Format("%.0f / %.0f", read.files, read.notWellFormed));
    Row("working set: start, end (most)",
        Format("%.1f MB, %.1f MB (%.1f MB): growth %.1f MB", first.workingSetMb, last.workingSetMb,
               most.workingSetMb, last.workingSetMb - first.workingSetMb));
    auto counts = [](DWORD a, DWORD b, DWORD c) {
        return a == 0 && b == 0 && c == 0 ? std::string("not reported (Wine answers 0)")
                                          : Format("%.0f, %.0f (%.0f)", a, b, c);
    };
    Row("handles: start, end (most)", counts(first.handles, last.handles, most.handles));
    Row("USER objects: start, end (most)",
        counts(first.userObjects, last.userObjects, most.userObjects));
    Row("GDI objects: start, end (most)",
        counts(first.gdiObjects, last.gdiObjects, most.gdiObjects));
    Row("Unix files of its Wine process",
        unixProcess.empty() ? std::string("process not found")
                            : counts(first.unixFiles, last.unixFiles, most.unixFiles));
    Row("session end", ended ? Format("exit code %.0f", program.ExitCode()) : "did not end");
    return ended && program.ExitCode() == 0 && found == delivered && doubled == 0 &&
           read.notWellFormed == 0;
}

bool SoakSessions(int count) {
    TempFolder kioskFolder;
    KioskRegistry registry(kioskFolder.Path() + L"Korvane.exe", KEY_WOW64_32KEY);
    FakeKiosk kiosk;
    kiosk.CreateTarget(kiosk.CreateForm());
    kiosk.OnReceive([](const ReceivedCopyData& start) {
        FakeKiosk::Send(reinterpret_cast<HWND>(start.sender), 100, "sessionactive");
        FakeKiosk::Send(reinterpret_cast<HWND>(start.sender), 100, "sessionend");
    });
    std::map<std::string, int> exitCodes;  // "not started", "still running" or the code
    const double started = ElapsedMilliseconds();
    for (int i = 0; i < count; ++i) {
        ChildProcess program;
        if (!program.Start(kProgram, L"PageName=Soak" + std::to_wstring(i))) {
            ++exitCodes["not started (error " + std::to_string(GetLastError()) + ")"];
        } else if (!program.WaitForExit(kBoundMs)) {
            ++exitCodes["still running after 30 s, session " + std::to_string(i)];
        } else {
            ++exitCodes[std::to_string(program.ExitCode())];
        }
    }
    const double seconds = (ElapsedMilliseconds() - started) / 1000.0;
    const FolderRead read = ReadFolder(kioskFolder.Path() + L"logs\\");
    const int closed = read.texts.count("LogFile Destroy Method Called. Shutting down log file")
                           ? read.texts.at("LogFile Destroy Method Called. Shutting down log file")
                           : 0;
    std::printf("Sessions\n");
    std::string codes;
    for (const auto& code : exitCodes) {
        codes += (codes.empty() ? "" : ", ") + code.first + " x" + std::to_string(code.second);
    }
    Row("sessions run", Format("%.0f", count));
    Row("exit codes", codes);
    Row("starts Wine refused, run again", Format("%.0f", StartsRefusedByThePlatform()));
    Row("total time", Format("%.1f s (%.0f ms a session)", seconds, seconds * 1000 / count));
    Row("log files / not well formed", Format("%.0f / %.0f", read.files, read.notWellFormed));
    Row("log files closed cleanly", Format("%.0f", closed));
    return exitCodes.size() == 1 && exitCodes.count("0") == 1 && read.notWellFormed == 0 &&
           closed == count;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    SetProgramFolders(OptionValue(argc, argv, L"--program-dir="), L"");
    const int messages = IntOption(argc, argv, L"--messages=", 100000);
    const int sessions = IntOption(argc, argv, L"--sessions=", 1000);
    KioskRegistry::RemoveAll();
    const bool messagesHeld = messages <= 0 || SoakMessages(messages);
    const bool sessionsHeld = sessions <= 0 || SoakSessions(sessions);
    std::printf("%s\n", messagesHeld && sessionsHeld ? "Held: no crash, no lost or torn line."
                                                     : "FAILED: see the rows above.");
    return messagesHeld && sessionsHeld ? 0 : 1;
}
