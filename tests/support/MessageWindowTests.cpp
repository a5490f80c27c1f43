#include "support/MessageWindow.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

namespace {

constexpr UINT kProbe = WM_APP + 7;

BOOL CALLBACK CollectAll(HWND window, LPARAM list) {
    reinterpret_cast<std::vector<HWND>*>(list)->push_back(window);
    return TRUE;
}

}  // namespace

TEST(MessageWindow, WithoutHandlersEveryMessageGetsTheDefaultResult) {
    MessageWindow window(GetModuleHandleW(nullptr));
    ASSERT_NE(nullptr, window.Handle());
    for (UINT message : {static_cast<UINT>(kProbe), static_cast<UINT>(WM_USER + 1),
                         static_cast<UINT>(WM_GETTEXTLENGTH)}) {
        EXPECT_EQ(DefWindowProcW(window.Handle(), message, 3, 4),
                  SendMessageW(window.Handle(), message, 3, 4));
    }
    wchar_t title[64] = {};
    GetWindowTextW(window.Handle(), title, 64);
    EXPECT_STREQ(L"Message_Window_Class", title);  // WM_GETTEXT went to the default handling
}

TEST(MessageWindow, RegisteredHandlerAnswersItsOwnIdOnly) {
    MessageWindow window(GetModuleHandleW(nullptr));
    std::vector<std::pair<WPARAM, LPARAM>> calls;
    window.SetHandler(kProbe, [&calls](WPARAM wParam, LPARAM lParam) -> LRESULT {
        calls.emplace_back(wParam, lParam);
        return 4242;
    });
    EXPECT_EQ(4242, SendMessageW(window.Handle(), kProbe, 11, 22));
    EXPECT_EQ(0, SendMessageW(window.Handle(), kProbe + 1, 0, 0));
    EXPECT_EQ(0, SendMessageW(window.Handle(), kProbe - 1, 0, 0));
    ASSERT_EQ(1u, calls.size());
    EXPECT_EQ(11u, calls[0].first);
    EXPECT_EQ(22, calls[0].second);

    window.SetHandler(kProbe, nullptr);  // removal: the default handling is back
    EXPECT_EQ(0, SendMessageW(window.Handle(), kProbe, 11, 22));
    EXPECT_EQ(1u, calls.size());
}

TEST(MessageWindow, CreateIsNeverOfferedToAHandler) {
    MessageWindow window(GetModuleHandleW(nullptr));
    bool called = false;
    window.SetHandler(WM_CREATE, [&called](WPARAM, LPARAM) -> LRESULT {
        called = true;
        return -1;
    });
    CREATESTRUCTW create{};
    create.lpCreateParams = nullptr;
    SendMessageW(window.Handle(), WM_CREATE, 0, reinterpret_cast<LPARAM>(&create));
    EXPECT_FALSE(called);
    // The WM_CREATE above stored a null creation parameter: the window is back to defaults.
    EXPECT_EQ(0, SendMessageW(window.Handle(), kProbe, 0, 0));
}

TEST(MessageWindow, ASecondWindowRegistersNoClassAgain) {
    MessageWindow first(GetModuleHandleW(nullptr));
    ASSERT_NE(nullptr, first.Handle());
    EXPECT_TRUE(IsMessageWindowClassRegistered());
    DestroyWindow(first.Handle());
    // Were the class registered again, the second window could be created.
    ASSERT_TRUE(UnregisterClassW(L"Message_Window_Class", GetModuleHandleW(nullptr)));
    {
        MessageWindow second(GetModuleHandleW(nullptr));
        EXPECT_EQ(nullptr, second.Handle());
    }
    // Put the class back for the tests that follow in this process.
    WNDCLASSEXW windowClass{};
    windowClass.cbSize = sizeof(windowClass);
    windowClass.lpfnWndProc = MessageWindowProc;
    windowClass.hInstance = GetModuleHandleW(nullptr);
    windowClass.lpszClassName = L"Message_Window_Class";
    EXPECT_NE(0, RegisterClassExW(&windowClass));
}

TEST(MessageWindow, IsNotListedAmongTheTopLevelWindows) {
    MessageWindow window(GetModuleHandleW(nullptr));
    ASSERT_NE(nullptr, window.Handle());
    HWND ordinary = CreateWindowExW(0, L"STATIC", L"ordinary", WS_POPUP, 0, 0, 10, 10, nullptr,
                                    nullptr, nullptr, nullptr);
    std::vector<HWND> topLevel;
    EnumWindows(CollectAll, reinterpret_cast<LPARAM>(&topLevel));
    DestroyWindow(ordinary);
    EXPECT_NE(topLevel.end(), std::find(topLevel.begin(), topLevel.end(), ordinary));
    EXPECT_EQ(topLevel.end(), std::find(topLevel.begin(), topLevel.end(), window.Handle()));
    EXPECT_EQ(window.Handle(),
              FindWindowExW(HWND_MESSAGE, nullptr, L"Message_Window_Class", nullptr));
}
