#include "tests/e2e/EndToEnd.h"

// A session start that cannot be sent leaves the monitor, the processor and the log to the
// exit-time clean-up: monitor first, then processor, then the log's warning.
TEST(ExitOrder, AfterAFailedSessionStartTheSlotsEmptyInOrderBeforeTheWarning) {
    TempFolder folder;
    ChildProcess helper;
    ASSERT_TRUE(helper.Start(L"SlotsExitHelper.exe", L"\"" + folder.Path() + L"logs\""));
    ASSERT_TRUE(helper.WaitForExit(kProgramExitBoundMs));
    EXPECT_EQ(0u, helper.ExitCode());
    std::vector<std::string> texts;
    std::vector<std::string> codes;
    for (const std::string& line : LogFolderLines(folder.Path() + L"logs\\")) {
        texts.push_back(LineText(line));
        codes.push_back(LineCode(line));
    }
    ASSERT_GE(texts.size(), 6u);
    texts.erase(texts.begin(), texts.end() - 6);
    EXPECT_EQ((std::vector<std::string>{
                  "Failed to send message the the vistalyne, the vistalyne window was NULL: "
                  "sessionstart:Home",
                  "Failed to send session start to vistalyne, closing application.",
                  "Destructed VistalyneProcessMonitor",
                  "Destructed VistalyneMessageProcessor",
                  "Logfile class destroyed by LogFileManager - WARNING: Could be improper shutdown",
              }),
              std::vector<std::string>(texts.begin() + 1, texts.end()));
    EXPECT_EQ("307", codes.back());
    KeepLogsOf(folder.Path() + L"logs\\");
}
