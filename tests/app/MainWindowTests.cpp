#include "app/MainWindow.h"

#include <gtest/gtest.h>

#include "app/AboutBox.h"
#include "app/SessionHandlerApp.h"
#include "target/VistalyneMessageProcessor.h"
#include "tests/support/ChildProcess.h"
#include "tests/support/LogCapture.h"
#include "tests/support/TestWindowClass.h"

namespace {

int timerTicks = 0;

// The main window procedure, counting what the platform delivers as ticks.
LRESULT CALLBACK CountingProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_TIMER) ++timerTicks;
    return MainWindowProc(window, message, wParam, lParam);
}

class MainWindow : public ::testing::Test {
protected:
    void SetUp() override {
        RegisterTestWindowClass(L"MainWindowUnderTest", CountingProc);
        window = CreateWindowExW(0, L"MainWindowUnderTest", L"", WS_OVERLAPPEDWINDOW, 0, 0, 10, 10,
                                 nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
        ASSERT_NE(nullptr, window);
    }
    void TearDown() override {
        if (IsWindow(window)) DestroyWindow(window);
        MSG message;
        while (PeekMessageW(&message, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE)) {}
    }
    LogCapture capture;
    HWND window = nullptr;
};

}  // namespace

TEST_F(MainWindow, CopyDataWithoutAProcessorIsIgnoredAndAnswersZero) {
    char bytes[] = "sessionend";
    COPYDATASTRUCT data{100, 10, bytes};
    EXPECT_EQ(0, SendMessageW(window, WM_COPYDATA, 0, reinterpret_cast<LPARAM>(&data)));
    EXPECT_TRUE(capture.StatementTexts().empty());
}

TEST_F(MainWindow, CopyDataGoesToTheInstalledProcessorAndAnswersZero) {
    CurrentMessageProcessor.reset(new VistalyneMessageProcessor(window, nullptr, L""));
    char bytes[] = "sessionactive";
    COPYDATASTRUCT data{101, 13, bytes};  // rejected by the processor, still 0
    EXPECT_EQ(0, SendMessageW(window, WM_COPYDATA, 0, reinterpret_cast<LPARAM>(&data)));
    COPYDATASTRUCT good{100, 13, bytes};
    EXPECT_EQ(0, SendMessageW(window, WM_COPYDATA, 0, reinterpret_cast<LPARAM>(&good)));
    EXPECT_TRUE(CurrentMessageProcessor->ReplyReceived());
    CurrentMessageProcessor.reset();
}

TEST_F(MainWindow, ATickReArmsTheTimerWithTheShortPeriod) {
    SetTimer(window, kSessionTimerId, 60000, nullptr);
    timerTicks = 0;
    SendMessageW(window, WM_TIMER, kSessionTimerId, 0);
    ASSERT_EQ(1, timerTicks);
    // Re-armed with 10 ms, not the minute of the first arming.
    EXPECT_TRUE(PumpUntil([] { return timerTicks >= 4; }, 3000));
    KillTimer(window, kSessionTimerId);
}

TEST_F(MainWindow, DestroyLogsAndPostsQuitWithZero) {
    DestroyWindow(window);
    MSG message;
    ASSERT_TRUE(PeekMessageW(&message, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));
    EXPECT_EQ(0u, message.wParam);
    EXPECT_EQ(std::vector<std::string>{"Received WM_DESTROY Message"}, capture.StatementTexts());
}

TEST_F(MainWindow, ExitCommandDestroysTheWindowAndOtherCommandsAreDefault) {
    EXPECT_EQ(0, SendMessageW(window, WM_COMMAND, MAKEWPARAM(4711, 0), 0));
    EXPECT_TRUE(IsWindow(window));
    EXPECT_EQ(0, SendMessageW(window, WM_COMMAND, MAKEWPARAM(105, 0), 0));
    EXPECT_FALSE(IsWindow(window));
}

TEST(AboutBox, HandlesOnlyInitOkAndCancel) {
    EXPECT_EQ(TRUE, AboutBoxProc(nullptr, WM_INITDIALOG, 0, 0));
    EXPECT_EQ(FALSE, AboutBoxProc(nullptr, WM_COMMAND, MAKEWPARAM(3, 0), 0));
    EXPECT_EQ(FALSE, AboutBoxProc(nullptr, WM_PAINT, 0, 0));
    EXPECT_EQ(TRUE, AboutBoxProc(nullptr, WM_COMMAND, MAKEWPARAM(IDOK, 0), 0));
    EXPECT_EQ(TRUE, AboutBoxProc(nullptr, WM_COMMAND, MAKEWPARAM(IDCANCEL, 0), 0));
}

TEST(MessageLoop, OnlyKeyboardMessagesAreOfferedToTheAcceleratorsAndTranslation) {
    // The accelerators are ASCII keys with Alt: they arrive as WM_SYSCHAR (and WM_CHAR).
    for (UINT keyboard :
         std::vector<UINT>{WM_KEYDOWN, WM_KEYUP, WM_CHAR, WM_SYSKEYDOWN, WM_SYSCHAR, WM_KEYLAST}) {
        EXPECT_TRUE(IsKeyboardMessage(keyboard)) << keyboard;
    }
    for (UINT other : std::vector<UINT>{WM_TIMER, WM_COPYDATA, WM_COMMAND, WM_PAINT,
                                        WM_KEYFIRST - 1u, WM_KEYLAST + 1u}) {
        EXPECT_FALSE(IsKeyboardMessage(other)) << other;
    }
}
