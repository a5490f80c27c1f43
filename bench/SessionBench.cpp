// Times the session handler against its floor (bench/SessionFloor.cpp) side by side, runs
// alternating, and prints one table row per measure: medians with their ranges. It plays the
// kiosk application itself.
//
//   SessionBench --program-dir=DIR [--runs=15] [--only=launch|cpu|reaction|no-kiosk]
//
// Measures: launch to "sessionstart:" received; CPU while holding a session for 10 s; the
// reaction to a kiosk that appears while the program searches; start to exit when no kiosk
// exists. CPU is read from the Unix side of each program's Wine process (Wine reports no CPU
// time of other processes): the time its threads ran, in /proc.

#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cwchar>
#include <string>
#include <vector>

#include "support/MonotonicClock.h"
#include "tests/support/ChildProcess.h"
#include "tests/support/FakeKiosk.h"
#include "tests/support/KioskRegistry.h"
#include "tests/support/TempFolder.h"
#include "tests/support/ToolOptions.h"
#include "tests/support/UnixSide.h"

namespace {

constexpr DWORD kBoundMs = 30000;
constexpr DWORD kHoldMs = 10000;

struct Subject {
    const wchar_t* program;
    std::wstring arguments;
};

const Subject kProgram{L"VistalyneSessionHandler.exe", L"PageName=Home"};
const Subject kFloor{L"SessionFloor.exe", L""};

std::wstring Marker() {
    static int next = 0;
    return std::to_wstring(GetCurrentProcessId()) + L"-" + std::to_wstring(++next);
}

// A marker on the command line finds a run's Unix process; it costs the session handler one
// more log line, so only the CPU measure uses it.
std::wstring MarkedArguments(const Subject& subject, const std::wstring& marker) {
    return subject.arguments + L" Bench=" + marker;
}

std::string Narrow(const std::wstring& ascii) {
    return std::string(ascii.begin(), ascii.end());
}

double NowMs() {
    return static_cast<double>(MonotonicNow()) / 1e6;
}

struct Spread {
    double median = 0;
    double low = 0;
    double high = 0;
};

Spread SpreadOf(std::vector<double> values) {
    if (values.empty()) return {};
    std::sort(values.begin(), values.end());
    const size_t n = values.size();
    const double median = n % 2 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
    return {median, values.front(), values.back()};
}

std::string Text(const Spread& spread, const char* unit) {
    char buffer[80];
    std::snprintf(buffer, sizeof(buffer), "%.1f %s (%.1f-%.1f)", spread.median, unit, spread.low,
                  spread.high);
    return buffer;
}

class Bench {
public:
    explicit Bench(int runs) : runs(runs) {
        kiosk.OnReceive([this](const ReceivedCopyData& received) {
            receivedAt = NowMs();
            if (replyEnd) {
                FakeKiosk::Send(reinterpret_cast<HWND>(received.sender), 100, "sessionactive");
                FakeKiosk::Send(reinterpret_cast<HWND>(received.sender), 100, "sessionend");
            } else {
                FakeKiosk::Send(reinterpret_cast<HWND>(received.sender), 100, "sessionactive");
            }
        });
    }

    // Launch to "sessionstart:" received, with the kiosk there from the start.
    double Launch(const Subject& subject) {
        const KioskWindows windows(kiosk);
        replyEnd = true;
        receivedAt = 0;
        ChildProcess process;
        const double started = NowMs();
        if (!process.Start(subject.program, subject.arguments)) return -1;
        if (!PumpUntil([this] { return receivedAt != 0; }, kBoundMs)) return -1;
        const double took = receivedAt - started;
        (void)process.WaitForExit(kBoundMs);
        return took;
    }

    // CPU of the program and of the floor, each holding a session, side by side over the same
    // 10 s after their first second: drifts of the machine hit both alike.
    std::pair<double, double> HoldCpuSideBySide() {
        const KioskWindows windows(kiosk);
        replyEnd = false;
        ChildProcess program;
        ChildProcess floor;
        const std::wstring programMarker = Marker();
        const std::wstring floorMarker = Marker();
        receivedAt = 0;
        if (!program.Start(kProgram.program, MarkedArguments(kProgram, programMarker)) ||
            !PumpUntil([this] { return receivedAt != 0; }, kBoundMs)) {
            return {-1, -1};
        }
        const HWND programWindow = MainWindow();
        receivedAt = 0;
        const std::wstring hold = L" --hold=" + std::to_wstring(kHoldMs + 3000);
        if (!floor.Start(kFloor.program, MarkedArguments(kFloor, floorMarker) + hold) ||
            !PumpUntil([this] { return receivedAt != 0; }, kBoundMs)) {
            return {-1, -1};
        }
        PumpFor(1000);  // past the session handler's first 1000 ms tick
        const std::wstring programProcess = UnixProcessWith("Bench=" + Narrow(programMarker));
        const std::wstring floorProcess = UnixProcessWith("Bench=" + Narrow(floorMarker));
        if (programProcess.empty() || floorProcess.empty()) return {-1, -1};
        const double programBefore = UnixCpuMsOf(programProcess);
        const double floorBefore = UnixCpuMsOf(floorProcess);
        PumpFor(kHoldMs);
        const double programCpu = UnixCpuMsOf(programProcess) - programBefore;
        const double floorCpu = UnixCpuMsOf(floorProcess) - floorBefore;
        FakeKiosk::Send(programWindow, 100, "sessionend");
        (void)program.WaitForExit(kBoundMs);
        (void)floor.WaitForExit(kBoundMs);
        return {programCpu, floorCpu};
    }

    // From the kiosk's windows being made to "sessionstart:" received, the program searching.
    double Reaction(const Subject& subject) {
        replyEnd = true;
        receivedAt = 0;
        ChildProcess process;
        if (!process.Start(subject.program, subject.arguments)) return -1;
        PumpFor(1500);  // well into the search
        const KioskWindows windows(kiosk);
        const double made = NowMs();
        if (!PumpUntil([this] { return receivedAt != 0; }, kBoundMs)) return -1;
        const double took = receivedAt - made;
        (void)process.WaitForExit(kBoundMs);
        return took;
    }

    // Start to exit with no kiosk at all: the 5000 ms search, and how far past it.
    double NoKioskOvershoot(const Subject& subject) {
        ChildProcess process;
        const double started = NowMs();
        if (!process.Start(subject.program, subject.arguments) || !process.WaitForExit(kBoundMs)) {
            return -1;
        }
        return NowMs() - started - 5000.0;
    }

    int runs;

private:
    HWND MainWindow() const {
        return kiosk.Received().empty() ? nullptr
                                        : reinterpret_cast<HWND>(kiosk.Received().back().sender);
    }

    // The kiosk's form and target window for one run.
    class KioskWindows {
    public:
        explicit KioskWindows(FakeKiosk& kiosk) : kiosk(kiosk) {
            form = kiosk.CreateForm();
            kiosk.CreateTarget(form);
        }
        ~KioskWindows() { DestroyWindow(form); }

    private:
        FakeKiosk& kiosk;
        HWND form;
    };

    FakeKiosk kiosk;
    double receivedAt = 0;
    bool replyEnd = true;
};

using Measure = double (Bench::*)(const Subject&);

void Print(const char* what, const std::vector<double>& program, const std::vector<double>& floor,
           int runs, int failed, bool ratio, const char* unit) {
    const Spread p = SpreadOf(program);
    const Spread f = SpreadOf(floor);
    char ratioText[32] = "-";
    if (ratio && f.median > 0) {
        std::snprintf(ratioText, sizeof(ratioText), "%.2f", p.median / f.median);
    }
    std::printf("| %s | %s | %s | %s | %d%s |\n", what, Text(p, unit).c_str(),
                Text(f, unit).c_str(), ratioText, runs,
                failed ? (" (" + std::to_string(failed) + " failed)").c_str() : "");
    std::fflush(stdout);
}

void Row(Bench& bench, const char* what, Measure measure, int runs, const char* unit, bool ratio) {
    std::vector<double> program;
    std::vector<double> floor;
    int failed = 0;
    for (int i = 0; i < runs; ++i) {  // alternating, so drifts of the machine hit both alike
        const double p = (bench.*measure)(kProgram);
        const double f = (bench.*measure)(kFloor);
        p >= 0 ? program.push_back(p) : (void)++failed;
        f >= 0 ? floor.push_back(f) : (void)++failed;
    }
    Print(what, program, floor, runs, failed, ratio, unit);
}

void CpuRow(Bench& bench, int runs) {
    std::vector<double> program;
    std::vector<double> floor;
    int failed = 0;
    for (int i = 0; i < runs; ++i) {
        const auto cpu = bench.HoldCpuSideBySide();
        if (cpu.first < 0) {
            ++failed;
            continue;
        }
        program.push_back(cpu.first);
        floor.push_back(cpu.second);
    }
    Print("CPU holding a session for 10 s, side by side", program, floor, runs, failed, true, "ms");
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    SetProgramFolders(OptionValue(argc, argv, L"--program-dir="), L"");
    const int runs = std::max(1, IntOption(argc, argv, L"--runs=", 15));
    KioskRegistry::RemoveAll();
    TempFolder kioskFolder;  // the program's logs go here, not beside it
    KioskRegistry registry(kioskFolder.Path() + L"Korvane.exe", KEY_WOW64_32KEY);
    Bench bench(runs);
    std::printf("| measure | program: median (range) | floor: median (range) | ratio | runs |\n");
    std::printf("|---|---|---|---|---|\n");
    const std::wstring only = OptionValue(argc, argv, L"--only=");
    auto wanted = [&only](const wchar_t* name) { return only.empty() || only == name; };
    if (wanted(L"launch")) {
        Row(bench, "launch to \"sessionstart:\" received", &Bench::Launch, runs, "ms", true);
    }
    if (wanted(L"cpu")) {
        CpuRow(bench, std::max(1, runs / 3));
    }
    if (wanted(L"reaction")) {
        Row(bench, "reaction to a kiosk appearing mid-search", &Bench::Reaction,
            std::max(1, runs * 2 / 3), "ms", false);
    }
    if (wanted(L"no-kiosk")) {
        Row(bench, "start to exit, no kiosk: past 5000 ms", &Bench::NoKioskOvershoot,
            std::max(1, runs / 5), "ms", false);
    }
    return 0;
}
