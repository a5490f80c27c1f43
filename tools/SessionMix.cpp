// Runs the real session handler through many sessions of mixed outcomes, playing the kiosk
// application, so that its log folder shows what a kiosk's would: for the log report's
// demonstration and measurements (scripts/sample-logs).
//
//   SessionMix --program-dir=DIR --out=FOLDER [--sessions=1000] [--seed=N]
//
// The logs land in FOLDER\logs (the registry names FOLDER\Korvane.exe as the kiosk). Outcomes,
// by share: ended (with and without stray messages), closed, kiosk gone, no reply, not found,
// and unknown (a quit message from another program, or the program killed). A failed send
// cannot be caused from outside the program and does not occur.

#include <windows.h>

#include <cstdio>
#include <cwchar>
#include <iterator>
#include <random>
#include <string>

#include "tests/support/ChildProcess.h"
#include "tests/support/FakeKiosk.h"
#include "tests/support/KioskRegistry.h"
#include "tests/support/TempFolder.h"
#include "tests/support/ToolOptions.h"

namespace {

constexpr DWORD kBoundMs = 30000;
const wchar_t* const kPages[] = {L"Home", L"Home", L"Home",    L"Tickets", L"Tickets", L"Map",
                                 L"Menu", L"Help", L"Payment", L"Caf\xE9", L"Settings"};

enum class Plan {
    kEnded,
    kEndedWithStrays,
    kClosed,
    kKioskGone,
    kNoReply,
    kNotFound,
    kQuit,
    kKill
};

Plan PlanFor(std::mt19937& random) {
    const int roll = static_cast<int>(random() % 100);
    if (roll < 62) return Plan::kEnded;
    if (roll < 72) return Plan::kEndedWithStrays;
    if (roll < 78) return Plan::kClosed;
    if (roll < 86) return Plan::kKioskGone;
    if (roll < 89) return Plan::kNoReply;
    if (roll < 92) return Plan::kNotFound;
    if (roll < 96) return Plan::kQuit;
    return Plan::kKill;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    SetProgramFolders(OptionValue(argc, argv, L"--program-dir="), L"");
    const std::wstring out = WindowsFolder(OptionValue(argc, argv, L"--out="));
    const int sessions = IntOption(argc, argv, L"--sessions=", 1000);
    if (out.empty()) {
        std::printf("usage: SessionMix --program-dir=DIR --out=FOLDER [--sessions=N] [--seed=N]\n");
        return 2;
    }
    std::mt19937 random(static_cast<unsigned>(IntOption(argc, argv, L"--seed=", 1208)));
    CreateDirectoryW(out.c_str(), nullptr);
    KioskRegistry::RemoveAll();
    KioskRegistry registry(out + L"Korvane.exe", KEY_WOW64_32KEY);
    FakeKiosk kiosk;
    HWND form = nullptr;
    HWND target = nullptr;
    auto bringUp = [&] {
        form = kiosk.CreateForm();
        target = kiosk.CreateTarget(form);
    };
    bringUp();
    int failures = 0;
    for (int i = 0; i < sessions; ++i) {
        const Plan plan = PlanFor(random);
        if (plan == Plan::kNotFound) DestroyWindow(form);
        const size_t before = kiosk.Received().size();
        ChildProcess program;
        if (!program.Start(L"VistalyneSessionHandler.exe",
                           std::wstring(L"PageName=") + kPages[random() % std::size(kPages)])) {
            ++failures;
            continue;
        }
        const bool started = plan != Plan::kNotFound &&
                             PumpUntil([&] { return kiosk.Received().size() > before; }, kBoundMs);
        const HWND main =
            started ? reinterpret_cast<HWND>(kiosk.Received().back().sender) : nullptr;
        if (started && plan != Plan::kNoReply) {
            FakeKiosk::Send(main, 100, "sessionactive");
            PumpFor(static_cast<DWORD>(random() % 700));
            switch (plan) {
                case Plan::kEndedWithStrays:
                    FakeKiosk::Send(main, 101, "sessionend");
                    FakeKiosk::Send(main, 100, "sessionactive ");
                    [[fallthrough]];
                case Plan::kEnded:
                    FakeKiosk::Send(main, 100, "sessionend");
                    break;
                case Plan::kClosed:
                    PostMessageW(main, WM_CLOSE, 0, 0);
                    break;
                case Plan::kKioskGone:
                    DestroyWindow(target);
                    break;
                case Plan::kQuit:
                    PostThreadMessageW(program.ThreadId(), WM_QUIT, 3, 0);
                    break;
                case Plan::kKill:
                    program.Terminate();
                    break;
                default:
                    break;
            }
        }
        if (!program.WaitForExit(kBoundMs)) ++failures;
        if (plan == Plan::kNotFound || plan == Plan::kKioskGone) {
            if (IsWindow(form)) DestroyWindow(form);
            bringUp();
        }
        if ((i + 1) % 50 == 0) {
            std::printf("\r%d of %d sessions", i + 1, sessions);
            std::fflush(stdout);
        }
    }
    std::printf(
        "\n%d sessions run into %slogs (%d did not start or end; %d starts Wine "
        "refused were run again)\n",
        sessions, std::string(out.begin(), out.end()).c_str(), failures,
        StartsRefusedByThePlatform());
    return failures == 0 ? 0 : 1;
}
