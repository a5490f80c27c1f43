#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "logging/LogFile.h"
#include "tests/support/TempFolder.h"
#include "tests/support/TestWindowClass.h"

namespace {

struct Forwarded {
    ULONG_PTR code;
    std::string text;
    WPARAM sender;
};

std::vector<Forwarded> forwarded;

LRESULT CALLBACK WatchdogProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_COPYDATA) {
        const auto* data = reinterpret_cast<const COPYDATASTRUCT*>(lParam);
        forwarded.push_back({data->dwData,
                             std::string(static_cast<const char*>(data->lpData), data->cbData),
                             wParam});
        return TRUE;
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

class WatchdogForwarding : public ::testing::Test {
protected:
    void SetUp() override {
        forwarded.clear();
        RegisterTestWindowClass(L"TWatchdogMainWindow", WatchdogProc);
    }
    HWND CreateWatchdog(const wchar_t* title) {
        return CreateWindowExW(0, L"TWatchdogMainWindow", title, WS_POPUP, 0, 0, 10, 10, nullptr,
                               nullptr, GetModuleHandleW(nullptr), nullptr);
    }
    TempFolder folder;
};

}  // namespace

TEST_F(WatchdogForwarding, SendsEachFlattenedLineToTheWatchdogInsteadOfTheFile) {
    HWND watchdog = CreateWatchdog(L"Orlamede - Watchdog Control Panel");
    ASSERT_NE(nullptr, watchdog);
    {
        LogFile log(folder.Path(), L"fwd", 1024, true, true, false);
        log.Log(999, L"first\r\nline");
    }
    DestroyWindow(watchdog);
    ASSERT_EQ(3u, forwarded.size());  // banner, line, closing line
    EXPECT_EQ(305u, forwarded[0].code);
    // A forwarding log never rotates: its banner tells of no limit and no new day.
    EXPECT_EQ(0u, forwarded[0].text.find("Starting new UTC Logfile["));
    EXPECT_EQ(999u, forwarded[1].code);
    EXPECT_EQ("first line", forwarded[1].text);  // no stamp, no code field, no terminator
    EXPECT_EQ(reinterpret_cast<WPARAM>(GetDesktopWindow()), forwarded[1].sender);
    EXPECT_EQ(306u, forwarded[2].code);
    EXPECT_TRUE(FilesIn(folder.Path()).empty());
}

TEST_F(WatchdogForwarding, WithoutTheWatchdogLinesGoToTheFileAsUsual) {
    HWND impostor = CreateWatchdog(L"Some Other Title");  // the class alone is not enough
    std::wstring path;
    {
        LogFile log(folder.Path(), L"fwd", 1024, true, true, false);
        log.Log(999, L"to the file");
        path = log.CurrentPath();
    }
    DestroyWindow(impostor);
    EXPECT_TRUE(forwarded.empty());
    const std::vector<std::string> lines = SplitLogLines(ReadWholeFile(path));
    ASSERT_EQ(3u, lines.size());
    EXPECT_EQ("to the file", LineText(lines[1]));
    // No size limit, so the name has no tick remainder.
    EXPECT_EQ(folder.Path().size() + 3 + 20 + 4, path.size());
}
