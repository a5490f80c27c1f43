#include "tests/e2e/EndToEnd.h"

namespace {

const char kFound[] = "Found the vistalyne window handle ";
const char kNotFound[] = "Failed to find the vistalyne window handle ";

class Discovery : public EndToEnd {
protected:
    // Runs one session that the kiosk ends at once, and returns the exit code.
    DWORD RunSession() {
        kiosk.OnReceive([](const ReceivedCopyData& start) {
            FakeKiosk::Send(reinterpret_cast<HWND>(start.sender), 100, "sessionend");
        });
        if (!Launch() || !WaitForExit()) return STILL_ACTIVE;
        return program.ExitCode();
    }
};

}  // namespace

TEST_F(Discovery, FindsATargetThatIsAGrandchildOfTheForm) {
    HWND form = kiosk.CreateForm();
    HWND target = kiosk.CreateTarget(kiosk.CreateWindowOfClass(L"TPanel", form));
    EXPECT_EQ(0u, RunSession());
    EXPECT_TRUE(LogHas(FoundLine(kFound, target, form)));
}

TEST_F(Discovery, SkipsAFirstFormWithoutTargetForASecondWithOne) {
    kiosk.CreateForm();
    HWND second = kiosk.CreateForm();
    HWND target = kiosk.CreateTarget(second);
    EXPECT_EQ(0u, RunSession());
    EXPECT_TRUE(LogHas(FoundLine(kFound, target, second)));
}

TEST_F(Discovery, TakesATopLevelTargetWithANullForm) {
    HWND target = kiosk.CreateTarget(nullptr);
    EXPECT_EQ(0u, RunSession());
    EXPECT_TRUE(LogHas(FoundLine(kFound, target, nullptr)));
}

TEST_F(Discovery, ClassNamesThatDifferInCaseOrLengthAreNotFound) {
    kiosk.CreateWindowOfClass(L"vistalynewindowclass", kiosk.CreateForm());
    kiosk.CreateTarget(kiosk.CreateWindowOfClass(L"TKorvaneFrmX", nullptr));
    kiosk.CreateWindowOfClass(L"VistalyneWindowClas", nullptr);
    kiosk.CreateTarget(kiosk.CreateWindowOfClass(L"TPanel", nullptr));  // not under a form
    EXPECT_EQ(1u, RunSession());
    EXPECT_TRUE(LogHas(FoundLine(kNotFound, nullptr, nullptr)));
    EXPECT_TRUE(kiosk.Received().empty());
}
