#include "target/SessionWatch.h"

#include <gtest/gtest.h>

#include "support/MonotonicClock.h"
#include "target/VistalyneMessageProcessor.h"
#include "target/VistalyneProcessMonitor.h"
#include "tests/support/FakeKiosk.h"
#include "tests/support/LogCapture.h"

namespace {

int QuitMessagesPosted() {
    int count = 0;
    MSG message;
    while (PeekMessageW(&message, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE)) ++count;
    return count;
}

}  // namespace

TEST(SessionWatchDecisions, LimitsAreStrict) {
    EXPECT_FALSE(HasRunOver(500.0, 0.0, 500.0));
    EXPECT_TRUE(HasRunOver(501.0, 0.0, 500.0));
    EXPECT_FALSE(HasRunOver(6000.0, 1000.0, 5000.0));
    EXPECT_TRUE(HasRunOver(6001.0, 1000.0, 5000.0));
    EXPECT_FALSE(IsReplyOverdue(false, 5000.0, 0.0));
    EXPECT_TRUE(IsReplyOverdue(false, 5001.0, 0.0));
    EXPECT_FALSE(IsReplyOverdue(true, 1e9, 0.0));  // answered once: never overdue again
}

TEST(ProcessMonitor, ChecksOnlyAfterMoreThanTheIntervalSinceTheLastCheck) {
    LogCapture capture;
    VistalyneProcessMonitor monitor(reinterpret_cast<HWND>(0x7FFF0));  // no such window
    EXPECT_FALSE(monitor.IsTargetGone(500.0));  // the program's start is the first "last check"
    EXPECT_TRUE(monitor.IsTargetGone(501.0));
    EXPECT_FALSE(monitor.IsTargetGone(1001.0));  // exactly 500 after that check
    EXPECT_TRUE(monitor.IsTargetGone(1002.0));
}

TEST(ProcessMonitor, AliveWhileAnyTargetIsUnderTheForm) {
    LogCapture capture;
    FakeKiosk kiosk;
    HWND form = kiosk.CreateForm();
    HWND first = kiosk.CreateTarget(form);
    VistalyneProcessMonitor monitor(form);
    EXPECT_FALSE(monitor.IsTargetGone(1000.0));
    DestroyWindow(first);
    kiosk.CreateTarget(form);  // made again: still counts, handles are not compared
    EXPECT_FALSE(monitor.IsTargetGone(2000.0));
    DestroyWindow(form);
    EXPECT_TRUE(monitor.IsTargetGone(3000.0));
}

TEST(ProcessMonitor, WithoutAFormAnyTopLevelTargetKeepsItAlive) {
    LogCapture capture;
    FakeKiosk kiosk;
    HWND target = kiosk.CreateTarget(nullptr);
    VistalyneProcessMonitor monitor(nullptr);
    EXPECT_FALSE(monitor.IsTargetGone(1000.0));
    DestroyWindow(target);
    EXPECT_TRUE(monitor.IsTargetGone(2000.0));
}

TEST(SetProcessMonitor, StoresTheNewMonitorBeforeTheOldOneIsDestroyed) {
    LogCapture capture;
    SetProcessMonitor(nullptr);  // nothing held: nothing logged
    SetProcessMonitor(new VistalyneProcessMonitor(nullptr));
    VistalyneProcessMonitor* second = new VistalyneProcessMonitor(nullptr);
    SetProcessMonitor(second);
    EXPECT_EQ(second, CurrentProcessMonitor.get());
    SetProcessMonitor(nullptr);
    EXPECT_EQ(nullptr, CurrentProcessMonitor.get());
    EXPECT_EQ((std::vector<std::string>{
                  "Constructed VistalyneProcessMonitor", "Constructed VistalyneProcessMonitor",
                  "Destructed VistalyneProcessMonitor", "Destructed VistalyneProcessMonitor"}),
              capture.StatementTexts());
}

TEST(SessionWatchTick, WithNothingInstalledDoesNothing) {
    LogCapture capture;
    SessionWatchTick();
    EXPECT_TRUE(capture.StatementTexts().empty());
    EXPECT_EQ(0, QuitMessagesPosted());
}

TEST(SessionWatchTick, LivenessCheckPostsQuitWhenTheTargetIsGone) {
    LogCapture capture;
    while (ElapsedMilliseconds() <= 600.0) Sleep(20);         // past the first check interval
    SetProcessMonitor(new VistalyneProcessMonitor(nullptr));  // and no target anywhere
    CurrentMessageProcessor.reset(new VistalyneMessageProcessor(nullptr, nullptr, L""));
    COPYDATASTRUCT active{100, 13, const_cast<char*>("sessionactive")};
    CurrentMessageProcessor->ProcessCopyData(active);  // the reply watch stays quiet
    SessionWatchTick();
    EXPECT_EQ(1, QuitMessagesPosted());
    SessionWatchTick();  // the next check is 500 ms away
    EXPECT_EQ(0, QuitMessagesPosted());
    CurrentMessageProcessor.reset();
    SetProcessMonitor(nullptr);
    const std::vector<std::string> texts = capture.StatementTexts();
    ASSERT_EQ(7u, texts.size());
    EXPECT_EQ("Vistalyne handle cannot be found, posting quit messsage", texts[4]);
}
