// The program under test with a kiosk application of the other width: the copy-data block
// and the window handles must cross between 32-bit and 64-bit processes unchanged.

#include "tests/e2e/EndToEnd.h"

namespace {

class CrossWidth : public EndToEnd {
protected:
    void SetUp() override {
        EndToEnd::SetUp();
        otherFolder = OtherWidthFolder();
        if (otherFolder.empty()) GTEST_SKIP() << "no program of the other width can run here";
    }

    // Runs one session against the other width's stand-in; returns the program's exit code.
    DWORD RunWithStandIn(const std::wstring& standInOptions) {
        if (!standIn.StartIn(otherFolder, L"KioskStandIn.exe",
                             standInOptions + L" --lifetime=20000", SW_SHOWDEFAULT,
                             kioskFolder.Path() + L"stand-in.txt")) {
            return STILL_ACTIVE;
        }
        // A 32-bit stand-in may need seconds to start under emulation: launch once it is up.
        if (!PumpUntil([] { return FindWindowW(L"TKorvaneFrm", nullptr) != nullptr; },
                       kProgramExitBoundMs) ||
            !Launch() || !WaitForExit()) {
            return STILL_ACTIVE;
        }
        return program.ExitCode();
    }

    // What the stand-in printed so far; it flushes every line, so nothing waits for its end.
    std::string StandInOutput() const {
        return ReadWholeFile(kioskFolder.Path() + L"stand-in.txt");
    }

    std::wstring otherFolder;
    ChildProcess standIn;
};

}  // namespace

TEST_F(CrossWidth, AWholeSessionRunsWithAKioskOfTheOtherWidth) {
    EXPECT_EQ(0u, RunWithStandIn(L""));
    EXPECT_NE(std::string::npos,
              StandInOutput().find(
                  "received WM_COPYDATA dwData=100 cbData=17 text=\"sessionstart:Home\""));
    const std::vector<std::string> texts = LogTexts();
    const size_t sent = IndexOf("Successfully sent session start to the vistalyne");
    ASSERT_NE(std::string::npos, sent);
    ASSERT_GE(texts.size(), sent + 5);
    EXPECT_EQ("Received message from vistalyne | ID: 100 | Message: sessionactive",
              texts[sent + 1]);
    EXPECT_EQ("Received sessionactive message, delaying application shutdown", texts[sent + 2]);
    EXPECT_EQ("Received message from vistalyne | ID: 100 | Message: sessionend", texts[sent + 3]);
    EXPECT_EQ("Received sessionend message, closing application", texts[sent + 4]);
}

TEST_F(CrossWidth, AReplyFromInsideTheOtherWidthKioskHandlerEndsTheSession) {
    EXPECT_EQ(0u, RunWithStandIn(L"--reply-inside=sessionend"));
    EXPECT_LT(IndexOf("Received sessionend message, closing application"),
              IndexOf("Successfully sent session start to the vistalyne"));
}

TEST_F(CrossWidth, TheOtherWidthKioskClosingItsFormEndsTheSession) {
    EXPECT_EQ(0u, RunWithStandIn(L"--active-after=100 --end-after=-1 --close-after=1500"));
    EXPECT_TRUE(LogHas("Vistalyne handle cannot be found, posting quit messsage"));
    EXPECT_TRUE(LogHas("Shutting Down Vistalyne Session Handler"));
}
