#include "target/VistalyneMessageProcessor.h"

#include <gtest/gtest.h>

#include "support/MonotonicClock.h"
#include "target/SessionMessages.h"
#include "tests/support/FakeKiosk.h"
#include "tests/support/LogCapture.h"

namespace {

bool QuitPosted(int& exitCode) {
    MSG message;
    if (!PeekMessageW(&message, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE)) return false;
    exitCode = static_cast<int>(message.wParam);
    return true;
}

COPYDATASTRUCT Data(ULONG_PTR id, const char* bytes, DWORD count) {
    COPYDATASTRUCT data{};
    data.dwData = id;
    data.cbData = count;
    data.lpData = const_cast<char*>(bytes);
    return data;
}

class MessageProcessor : public ::testing::Test {
protected:
    LogCapture capture;
    FakeKiosk kiosk;
};

}  // namespace

TEST_F(MessageProcessor, SendsTheStartTextWithItsNulUncountedAndTheMainWindowAsSender) {
    HWND form = kiosk.CreateForm();
    HWND target = kiosk.CreateTarget(form);
    HWND main = kiosk.CreateWindowOfClass(L"SessionHandlerStandIn", nullptr);
    {
        VistalyneMessageProcessor processor(main, target, L"Welcome");
        const double before = ElapsedMilliseconds();
        EXPECT_TRUE(processor.SendSessionStart());
        EXPECT_GE(processor.StartSentTime(), before);
        EXPECT_FALSE(processor.ReplyReceived());
    }
    ASSERT_EQ(1u, kiosk.Received().size());
    const ReceivedCopyData& received = kiosk.Received()[0];
    EXPECT_EQ(100u, received.identifier);
    EXPECT_EQ(20u, received.byteCount);
    EXPECT_EQ("sessionstart:Welcome", received.bytes);
    EXPECT_TRUE(received.nulFollows);
    EXPECT_EQ(reinterpret_cast<WPARAM>(main), received.sender);
    EXPECT_EQ((std::vector<std::string>{"Constructed VistalyneMessageProcessor",
                                        "Sending session start message to the vistalyne",
                                        "Sending message to the vistalyne - sessionstart:Welcome",
                                        "Destructed VistalyneMessageProcessor"}),
              capture.StatementTexts());
}

TEST_F(MessageProcessor, SendsAnEmptyPageAndLowBytesOfWideCharacters) {
    HWND target = kiosk.CreateTarget(kiosk.CreateForm());
    VistalyneMessageProcessor empty(nullptr, target, L"");
    EXPECT_TRUE(empty.SendSessionStart());
    VistalyneMessageProcessor wide(nullptr, target, L"\x0141\x00E9");
    EXPECT_TRUE(wide.SendSessionStart());
    ASSERT_EQ(2u, kiosk.Received().size());
    EXPECT_EQ(13u, kiosk.Received()[0].byteCount);
    EXPECT_EQ("sessionstart:\x41\xE9", kiosk.Received()[1].bytes);
    // The byte that is no UTF-8 is shown as a replacement (the file's default character),
    // not dropped, in the send line.
    EXPECT_EQ("Sending message to the vistalyne - sessionstart:A?",
              capture.StatementTexts().back());
}

TEST_F(MessageProcessor, WithoutATargetNothingIsSent) {
    VistalyneMessageProcessor processor(nullptr, nullptr, L"Home");
    EXPECT_FALSE(processor.SendSessionStart());
    EXPECT_EQ(
        "Failed to send message the the vistalyne, the vistalyne window was NULL: "
        "sessionstart:Home",
        capture.StatementTexts().back());
}

TEST_F(MessageProcessor, SessionEndPostsQuitWithZeroWithOrWithoutItsNul) {
    for (DWORD count : {10u, 11u}) {
        VistalyneMessageProcessor processor(nullptr, nullptr, L"");
        processor.ProcessCopyData(Data(100, "sessionend", count));
        int exitCode = -1;
        EXPECT_TRUE(QuitPosted(exitCode)) << count;
        EXPECT_EQ(0, exitCode);
    }
    const std::vector<std::string> texts = capture.StatementTexts();
    EXPECT_EQ("Received message from vistalyne | ID: 100 | Message: sessionend", texts[1]);
    EXPECT_EQ("Received sessionend message, closing application", texts[2]);
}

TEST_F(MessageProcessor, SessionActiveStopsTheReplyWatch) {
    VistalyneMessageProcessor processor(nullptr, nullptr, L"");
    processor.ProcessCopyData(Data(100, "sessionactive", 13));
    EXPECT_TRUE(processor.ReplyReceived());
    processor.ProcessCopyData(Data(100, "sessionactive", 14));
    EXPECT_TRUE(processor.ReplyReceived());
    int exitCode = 0;
    EXPECT_FALSE(QuitPosted(exitCode));
    EXPECT_EQ("Received sessionactive message, delaying application shutdown",
              capture.StatementTexts().back());
}

TEST_F(MessageProcessor, WrongIdentifierIsLoggedAndIgnored) {
    VistalyneMessageProcessor processor(nullptr, nullptr, L"");
    processor.ProcessCopyData(Data(101, "sessionend", 10));
    processor.ProcessCopyData(Data(static_cast<ULONG_PTR>(0xFFFFFFFFu), "sessionactive", 13));
    int exitCode = 0;
    EXPECT_FALSE(QuitPosted(exitCode));
    EXPECT_FALSE(processor.ReplyReceived());
    EXPECT_EQ((std::vector<std::string>{"Constructed VistalyneMessageProcessor",
                                        "Received message from vistalyne | ID: 101 | Message: "
                                        "sessionend",
                                        "Identifier is wrong, ignoring message",
                                        "Received message from vistalyne | ID: -1 | Message: "
                                        "sessionactive",
                                        "Identifier is wrong, ignoring message"}),
              capture.StatementTexts());
}

TEST_F(MessageProcessor, NearMissesAndEmptyDataHaveNoEffectBeyondTheReceiptLine) {
    VistalyneMessageProcessor processor(nullptr, nullptr, L"");
    processor.ProcessCopyData(Data(100, "SessionEnd", 10));
    processor.ProcessCopyData(Data(100, "sessionend ", 11));
    processor.ProcessCopyData(Data(100, "sessionactive\n", 14));
    processor.ProcessCopyData(Data(100, nullptr, 5));
    int exitCode = 0;
    EXPECT_FALSE(QuitPosted(exitCode));
    EXPECT_FALSE(processor.ReplyReceived());
    const std::vector<std::string> texts = capture.StatementTexts();
    ASSERT_EQ(5u, texts.size());
    EXPECT_EQ("Received message from vistalyne | ID: 100 | Message: sessionactive ", texts[3]);
    EXPECT_EQ("Received message from vistalyne | ID: 100 | Message: ", texts[4]);
}

TEST_F(MessageProcessor, AReplyFromInsideTheKioskHandlerFindsTheInstalledProcessor) {
    HWND target = kiosk.CreateTarget(kiosk.CreateForm());
    HWND main = kiosk.CreateWindowOfClass(L"SessionHandlerStandIn", nullptr);
    CurrentMessageProcessor.reset(new VistalyneMessageProcessor(main, target, L"Home"));
    kiosk.OnReceive([](const ReceivedCopyData&) {
        // What the main window does with a reply: hand it to the installed processor.
        const COPYDATASTRUCT reply = Data(100, "sessionactive", 13);
        CurrentMessageProcessor->ProcessCopyData(reply);
    });
    EXPECT_TRUE(CurrentMessageProcessor->SendSessionStart());
    EXPECT_TRUE(CurrentMessageProcessor->ReplyReceived());
    CurrentMessageProcessor.reset();
}
