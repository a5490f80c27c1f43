#include <windows.h>

#include <algorithm>

#include "support/MonotonicClock.h"
#include "tests/e2e/EndToEnd.h"

namespace {

const char kFound[] = "Found the vistalyne window handle ";
const char kNotFound[] = "Failed to find the vistalyne window handle ";
const char kLiveness[] = "Vistalyne handle cannot be found, posting quit messsage";
const char kNoReply[] =
    "Haven't received response to the start session message, posting quit message";

class Session : public EndToEnd {};

}  // namespace

TEST_F(Session, OneSessionRunsFromStartToSessionEndWithTheExactLog) {
    HWND form = kiosk.CreateForm();
    HWND target = kiosk.CreateTarget(form);
    ASSERT_TRUE(Launch());
    ASSERT_TRUE(WaitForSessionStart());
    const ReceivedCopyData start = kiosk.Received().front();
    EXPECT_EQ(100u, start.identifier);
    EXPECT_EQ(17u, start.byteCount);
    EXPECT_EQ("sessionstart:Home", start.bytes);
    EXPECT_EQ(FindWindowW(L"VistalyneSessionHandlerClass", L"VistalyneSessionHandlerTitle"),
              MainWindow());
    EXPECT_FALSE(IsWindowVisible(MainWindow()));
    Reply("sessionactive");
    Reply("sessionend");
    ASSERT_TRUE(WaitForExit());
    EXPECT_EQ(0u, program.ExitCode());

    const std::vector<std::string> lines = LogLines();
    ASSERT_FALSE(lines.empty());
    EXPECT_EQ("305", LineCode(lines.front()));
    EXPECT_EQ(0u, LineText(lines.front())
                      .find("Starting new UTC Logfile with limit of 1024k per "
                            "file and starting a new one each day["
                            "VistalyneSessionHandler.exe|V1.0.0.2] [Session "
                            "ID: "));
    std::vector<std::string> texts = LogTexts();
    texts.erase(texts.begin());
    EXPECT_EQ((std::vector<std::string>{
                  "Preparing Vistalyne Session Handler",
                  "Processing commandline: PageName=Home",
                  "[PageName,Home]",
                  "Searching for vistalyne window handle for 5000 milliseconds",
                  FoundLine(kFound, target, form),
                  "Constructed VistalyneProcessMonitor",
                  "Constructed VistalyneMessageProcessor",
                  "Sending session start message to the vistalyne",
                  "Sending message to the vistalyne - sessionstart:Home",
                  "Successfully sent session start to the vistalyne",
                  "Received message from vistalyne | ID: 100 | Message: sessionactive",
                  "Received sessionactive message, delaying application shutdown",
                  "Received message from vistalyne | ID: 100 | Message: sessionend",
                  "Received sessionend message, closing application",
                  "Destructed VistalyneMessageProcessor",
                  "Destructed VistalyneProcessMonitor",
                  "Shutting Down Vistalyne Session Handler",
                  "LogFile Destroy Method Called. Shutting down log file",
              }),
              texts);
    EXPECT_EQ("306", LineCode(lines.back()));
}

TEST_F(Session, AbsentKioskEndsWithExitCodeOneAfterFiveSeconds) {
    const double started = ElapsedMilliseconds();
    ASSERT_TRUE(Launch(L""));
    ASSERT_TRUE(WaitForExit());
    const double took = ElapsedMilliseconds() - started;
    EXPECT_EQ(1u, program.ExitCode());
    EXPECT_GE(took, 5000.0);
    EXPECT_LT(took, 15000.0);
    const std::vector<std::string> texts = LogTexts();
    const size_t notFound = IndexOf(FoundLine(kNotFound, nullptr, nullptr));
    ASSERT_NE(std::string::npos, notFound);
    EXPECT_EQ("Searching for vistalyne window handle for 5000 milliseconds", texts[notFound - 1]);
    EXPECT_EQ("Shutting Down Vistalyne Session Handler", texts[notFound + 1]);
    EXPECT_EQ(notFound + 3, texts.size());
    EXPECT_FALSE(LogHas("Constructed VistalyneProcessMonitor"));
    EXPECT_FALSE(LogHas("Constructed VistalyneMessageProcessor"));
}

TEST_F(Session, KioskAppearingThreeSecondsLaterIsFound) {
    ChildProcess standIn;
    ASSERT_TRUE(standIn.Start(L"KioskStandIn.exe", L"--appear-after=3000 --lifetime=15000"));
    ASSERT_TRUE(Launch());
    ASSERT_TRUE(WaitForExit());
    EXPECT_EQ(0u, program.ExitCode());
    EXPECT_TRUE(LogHas("Successfully sent session start to the vistalyne"));
    EXPECT_TRUE(LogHas("Received sessionactive message, delaying application shutdown"));
    EXPECT_TRUE(LogHas("Received sessionend message, closing application"));
    EXPECT_FALSE(LogHas(kNoReply));
}

TEST_F(Session, NoReplyEndsAtTheFirstTickPastFiveSecondsAfterTheStart) {
    kiosk.CreateTarget(kiosk.CreateForm());
    ASSERT_TRUE(Launch());
    ASSERT_TRUE(WaitForSessionStart());
    const double sent = ElapsedMilliseconds();
    ASSERT_TRUE(WaitForExit());
    const double took = ElapsedMilliseconds() - sent;
    EXPECT_EQ(0u, program.ExitCode());
    EXPECT_GT(took, 4900.0);  // the stamp is taken just before the send reached us
    EXPECT_LT(took, 9000.0);
    const size_t line = IndexOf(kNoReply);
    ASSERT_NE(std::string::npos, line);
    EXPECT_EQ("Destructed VistalyneMessageProcessor", LogTexts()[line + 1]);
    EXPECT_FALSE(LogHas(kLiveness));
}

TEST_F(Session, DestroyedTargetWindowEndsTheSessionWithinACheckInterval) {
    HWND form = kiosk.CreateForm();
    HWND target = kiosk.CreateTarget(form);
    ASSERT_TRUE(Launch());
    ASSERT_TRUE(WaitForSessionStart());
    Reply("sessionactive");
    PumpFor(1500);  // past the first tick, so the timer runs at its short period
    const double destroyed = ElapsedMilliseconds();
    DestroyWindow(target);
    ASSERT_TRUE(WaitForExit());
    EXPECT_LT(ElapsedMilliseconds() - destroyed, 2500.0);
    EXPECT_EQ(0u, program.ExitCode());
    EXPECT_TRUE(LogHas(kLiveness));
    EXPECT_FALSE(LogHas(kNoReply));
}

TEST_F(Session, ClosedFormEndsTheSessionWithinACheckInterval) {
    HWND form = kiosk.CreateForm();
    kiosk.CreateTarget(form);
    ASSERT_TRUE(Launch());
    ASSERT_TRUE(WaitForSessionStart());
    Reply("sessionactive");
    PumpFor(1500);
    const double closed = ElapsedMilliseconds();
    DestroyWindow(form);
    ASSERT_TRUE(WaitForExit());
    EXPECT_LT(ElapsedMilliseconds() - closed, 2500.0);
    EXPECT_EQ(0u, program.ExitCode());
    EXPECT_EQ("Destructed VistalyneMessageProcessor", LogTexts()[IndexOf(kLiveness) + 1]);
}

TEST_F(Session, SessionEndSentFromInsideTheKioskHandlerEndsTheProgram) {
    kiosk.CreateTarget(kiosk.CreateForm());
    kiosk.OnReceive([](const ReceivedCopyData& start) {
        FakeKiosk::Send(reinterpret_cast<HWND>(start.sender), 100, "sessionend");
    });
    ASSERT_TRUE(Launch());
    ASSERT_TRUE(WaitForExit());
    EXPECT_EQ(0u, program.ExitCode());
    const size_t ended = IndexOf("Received sessionend message, closing application");
    ASSERT_NE(std::string::npos, ended);
    EXPECT_LT(ended, IndexOf("Successfully sent session start to the vistalyne"));
    EXPECT_TRUE(LogHas("Shutting Down Vistalyne Session Handler"));
}

TEST_F(Session, RepliesThatAreNotExactlyRightAreLoggedAndIgnored) {
    kiosk.CreateTarget(kiosk.CreateForm());
    ASSERT_TRUE(Launch());
    ASSERT_TRUE(WaitForSessionStart());
    Reply("sessionactive");
    Reply("sessionend", 101);
    Reply("sessionend", static_cast<ULONG_PTR>(0xFFFFFFFFu));
    Reply("SessionEnd");
    Reply("sessionend ");
    EXPECT_FALSE(program.WaitForExit(700));
    Reply(std::string("sessionend\0", 11));  // its NUL counted
    ASSERT_TRUE(WaitForExit());
    EXPECT_EQ(0u, program.ExitCode());
    const std::vector<std::string> texts = LogTexts();
    const size_t wrong = IndexOf("Received message from vistalyne | ID: 101 | Message: sessionend");
    ASSERT_NE(std::string::npos, wrong);
    EXPECT_EQ("Identifier is wrong, ignoring message", texts[wrong + 1]);
    EXPECT_EQ("Received message from vistalyne | ID: -1 | Message: sessionend", texts[wrong + 2]);
    EXPECT_EQ("Identifier is wrong, ignoring message", texts[wrong + 3]);
    EXPECT_EQ("Received message from vistalyne | ID: 100 | Message: SessionEnd", texts[wrong + 4]);
    EXPECT_EQ("Received message from vistalyne | ID: 100 | Message: sessionend ", texts[wrong + 5]);
    EXPECT_EQ("Received message from vistalyne | ID: 100 | Message: sessionend", texts[wrong + 6]);
    EXPECT_EQ("Received sessionend message, closing application", texts[wrong + 7]);
}

TEST_F(Session, CloseRequestAndExitCommandEndTheSessionThroughDestroy) {
    for (UINT how : {static_cast<UINT>(WM_CLOSE), static_cast<UINT>(WM_COMMAND)}) {
        FakeKiosk kioskForRun;
        kioskForRun.CreateTarget(kioskForRun.CreateForm());
        ChildProcess run;
        ASSERT_TRUE(run.Start(L"VistalyneSessionHandler.exe", L"PageName=Home"));
        ASSERT_TRUE(
            PumpUntil([&] { return !kioskForRun.Received().empty(); }, kProgramExitBoundMs));
        HWND main = reinterpret_cast<HWND>(kioskForRun.Received().front().sender);
        FakeKiosk::Send(main, 100, "sessionactive");
        PostMessageW(main, how, how == WM_COMMAND ? MAKEWPARAM(105, 0) : 0, 0);
        ASSERT_TRUE(run.WaitForExit(kProgramExitBoundMs));
        EXPECT_EQ(0u, run.ExitCode());
    }
    const std::vector<std::string> texts = LogTexts();
    EXPECT_EQ(2, std::count(texts.begin(), texts.end(), "Received WM_DESTROY Message"));
    EXPECT_EQ("Destructed VistalyneMessageProcessor",
              texts[IndexOf("Received WM_DESTROY Message") + 1]);
}

TEST_F(Session, AboutCommandOpensTheBoxAndTheSessionGoesOn) {
    kiosk.CreateTarget(kiosk.CreateForm());
    ASSERT_TRUE(Launch(L"PageName=Home", SW_SHOW));
    ASSERT_TRUE(WaitForSessionStart());
    EXPECT_FALSE(IsWindowVisible(MainWindow()));  // launched with SW_SHOW, still hidden
    Reply("sessionactive");
    PostMessageW(MainWindow(), WM_COMMAND, MAKEWPARAM(104, 0), 0);
    HWND about = nullptr;
    ASSERT_TRUE(PumpUntil(
        [&] { return (about = FindWindowW(nullptr, L"About VistalyneSessionHandler")) != nullptr; },
        10000));
    EXPECT_FALSE(program.WaitForExit(300));
    Reply("sessionactive");  // handled by the box's own message loop
    PostMessageW(about, WM_COMMAND, MAKEWPARAM(IDOK, 0), 0);
    ASSERT_TRUE(PumpUntil([&] { return !IsWindow(about); }, 10000));
    EXPECT_FALSE(program.WaitForExit(300));
    Reply("sessionend");
    ASSERT_TRUE(WaitForExit());
    EXPECT_EQ(0u, program.ExitCode());
    const std::vector<std::string> texts = LogTexts();
    EXPECT_EQ(2, std::count(texts.begin(), texts.end(),
                            "Received sessionactive message, delaying application shutdown"));
}

TEST_F(Session, AQuitMessageWithAnotherValueBecomesTheExitCode) {
    kiosk.CreateTarget(kiosk.CreateForm());
    ASSERT_TRUE(Launch());
    ASSERT_TRUE(WaitForSessionStart());
    Reply("sessionactive");
    ASSERT_TRUE(PostThreadMessageW(program.ThreadId(), WM_QUIT, 7, 0));
    ASSERT_TRUE(WaitForExit());
    EXPECT_EQ(7u, program.ExitCode());
    EXPECT_TRUE(LogHas("Shutting Down Vistalyne Session Handler"));
}

TEST_F(Session, AKioskThatNeverReturnsFromItsHandlerCannotHoldTheProgram) {
    ChildProcess standIn;
    ASSERT_TRUE(standIn.Start(L"KioskStandIn.exe", L"--hang --lifetime=30000"));
    ASSERT_TRUE(PumpUntil([] { return FindWindowW(L"TKorvaneFrm", nullptr) != nullptr; }, 10000));
    const double started = ElapsedMilliseconds();
    ASSERT_TRUE(Launch());
    ASSERT_TRUE(WaitForExit());
    EXPECT_LT(ElapsedMilliseconds() - started, 15000.0);
    EXPECT_EQ(0u, program.ExitCode());
    // The bounded send counts as handed over; the reply watch then ends the session.
    EXPECT_LT(IndexOf("Successfully sent session start to the vistalyne"), IndexOf(kNoReply));
    EXPECT_TRUE(LogHas("Shutting Down Vistalyne Session Handler"));
}
