// A whole session under a multi-byte ANSI code page (932): the driver runs with
// LANG=ja_JP.UTF-8, and the program it starts inherits the code page.

#include <windows.h>

#include "tests/e2e/EndToEnd.h"
#include "tests/support/StrictLog.h"

namespace {

class CodePage932 : public EndToEnd {};

std::string InCodePage(UINT codePage, const std::wstring& text) {
    const int size = WideCharToMultiByte(codePage, 0, text.data(), static_cast<int>(text.size()),
                                         nullptr, 0, nullptr, nullptr);
    std::string bytes(static_cast<size_t>(size), '\0');
    WideCharToMultiByte(codePage, 0, text.data(), static_cast<int>(text.size()), &bytes[0], size,
                        nullptr, nullptr);
    return bytes;
}

}  // namespace

TEST_F(CodePage932, RepliesInUtf8JapaneseAreLoggedInTheCodePage) {
    if (GetACP() != 932) {
        GTEST_SKIP() << "code page " << GetACP()
                     << ": the driver needs LANG=ja_JP.UTF-8 and that locale on the machine";
    }
    // "Welcome to the kiosk", with a trail byte that is "|" (0x7C) in Shift-JIS.
    const std::wstring japanese = L"\x30AD\x30AA\x30B9\x30AF\x3078\x3088\x3046\x3053\x305D\x30DD";
    kiosk.CreateTarget(kiosk.CreateForm());
    ASSERT_TRUE(Launch());
    ASSERT_TRUE(WaitForSessionStart());
    Reply("sessionactive");
    Reply(InCodePage(CP_UTF8, japanese));
    Reply("sessionend");
    ASSERT_TRUE(WaitForExit());
    EXPECT_EQ(0u, program.ExitCode());

    const std::string expected =
        "Received message from vistalyne | ID: 100 | Message: " + InCodePage(932, japanese);
    ASSERT_NE(std::string::npos, expected.find('|', 60));  // the hostile trail byte is there
    const std::vector<std::wstring> files = FilesIn(LogFolder());
    ASSERT_EQ(1u, files.size());
    const StrictLog log = ReadStrictLog(ReadWholeFile(LogFolder() + files[0]));
    EXPECT_EQ("", log.problem);
    std::vector<std::string> texts;
    for (const std::string& line : log.lines) texts.push_back(LineText(line));
    const size_t reply = IndexOf("Received sessionactive message, delaying application shutdown");
    ASSERT_NE(std::string::npos, reply);
    ASSERT_LT(reply + 3, texts.size());
    EXPECT_EQ(expected, texts[reply + 1]);
    EXPECT_EQ("Received sessionend message, closing application", texts[reply + 3]);
}
