// Plays the kiosk application for the demo and the tests: a TKorvaneFrm form with a
// VistalyneWindowClass window inside; prints what it receives and replies as its options say.
//
//   KioskStandIn [--appear-after=MS] [--active-after=MS] [--end-after=MS] [--no-reply]
//                [--reply-inside=TEXT] [--reply-id=N] [--close-after=MS]
//                [--destroy-target-after=MS] [--hang] [--lifetime=MS]
//
// Delays count from the receipt of the session start, except --appear-after and --lifetime.
// Without reply options it answers "sessionactive" after 200 ms and "sessionend" after 2000 ms,
// and ends when its lifetime (30 s unless given) is over.

#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <cwchar>
#include <string>

namespace {

constexpr ULONG_PTR kSessionMessageId = 100;
constexpr UINT_PTR kAppearTimer = 1;
constexpr UINT_PTR kActiveTimer = 2;
constexpr UINT_PTR kEndTimer = 3;
constexpr UINT_PTR kCloseTimer = 4;
constexpr UINT_PTR kDestroyTargetTimer = 5;
constexpr UINT_PTR kLifetimeTimer = 6;

struct Options {
    int appearAfterMs = 0;
    int activeAfterMs = 200;
    int endAfterMs = 2000;
    int closeAfterMs = -1;
    int destroyTargetAfterMs = -1;
    int lifetimeMs = 30000;
    ULONG_PTR replyId = kSessionMessageId;
    std::string replyInside;
    bool hang = false;
};

Options options;
HWND formWindow = nullptr;
HWND targetWindow = nullptr;
HWND sessionHandler = nullptr;

void Print(const char* format, const std::string& text = std::string()) {
    std::printf(format, text.c_str());
    std::fflush(stdout);
}

std::string Printable(const std::string& bytes) {
    std::string out;
    for (unsigned char c : bytes) {
        if (c >= 32 && c < 127) {
            out.push_back(static_cast<char>(c));
        } else {
            char escaped[8];
            std::snprintf(escaped, sizeof(escaped), "\\x%02X", c);
            out += escaped;
        }
    }
    return out;
}

void Reply(const char* text) {
    if (sessionHandler == nullptr) return;
    COPYDATASTRUCT data{};
    data.dwData = options.replyId;
    data.cbData = static_cast<DWORD>(std::strlen(text));
    data.lpData = const_cast<char*>(text);
    Print("stand-in: replying \"%s\"\n", text);
    SendMessageW(sessionHandler, WM_COPYDATA, reinterpret_cast<WPARAM>(targetWindow),
                 reinterpret_cast<LPARAM>(&data));
}

void Arm(UINT_PTR timer, int delayMs) {
    if (delayMs >= 0) SetTimer(formWindow, timer, static_cast<UINT>(delayMs), nullptr);
}

LRESULT OnSessionStart(HWND sender, const COPYDATASTRUCT& data) {
    const std::string text(static_cast<const char*>(data.lpData), data.cbData);
    std::printf("stand-in: received WM_COPYDATA dwData=%u cbData=%u text=\"%s\" from %08X\n",
                static_cast<unsigned>(data.dwData), static_cast<unsigned>(data.cbData),
                Printable(text).c_str(),
                static_cast<unsigned>(reinterpret_cast<ULONG_PTR>(sender) & 0xFFFFFFFF));
    std::fflush(stdout);
    sessionHandler = sender;
    if (options.hang) {
        Print("stand-in: hanging in the handler\n");
        Sleep(INFINITE);
    }
    if (!options.replyInside.empty()) Reply(options.replyInside.c_str());
    Arm(kActiveTimer, options.activeAfterMs);
    Arm(kEndTimer, options.endAfterMs);
    Arm(kCloseTimer, options.closeAfterMs);
    Arm(kDestroyTargetTimer, options.destroyTargetAfterMs);
    return 0;
}

LRESULT CALLBACK TargetProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_COPYDATA && lParam != 0) {
        return OnSessionStart(reinterpret_cast<HWND>(wParam),
                              *reinterpret_cast<const COPYDATASTRUCT*>(lParam));
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

void CreateWindows(HINSTANCE instance);

LRESULT CALLBACK FormProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_TIMER) {
        KillTimer(window, wParam);
        switch (wParam) {
            case kActiveTimer:
                Reply("sessionactive");
                break;
            case kEndTimer:
                Reply("sessionend");
                break;
            case kCloseTimer:
                Print("stand-in: closing its form\n");
                DestroyWindow(window);
                break;
            case kDestroyTargetTimer:
                Print("stand-in: destroying its target window\n");
                DestroyWindow(targetWindow);
                break;
            case kLifetimeTimer:
                DestroyWindow(window);
                break;
        }
        return 0;
    }
    if (message == WM_DESTROY) {
        PostQuitMessage(0);
        return 0;
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

int ValueOf(const wchar_t* argument, const wchar_t* name, int fallback) {
    const size_t length = std::wcslen(name);
    if (std::wcsncmp(argument, name, length) != 0) return fallback;
    return static_cast<int>(std::wcstol(argument + length, nullptr, 10));
}

void ParseOptions(int argc, wchar_t** argv) {
    for (int i = 1; i < argc; ++i) {
        const wchar_t* a = argv[i];
        options.appearAfterMs = ValueOf(a, L"--appear-after=", options.appearAfterMs);
        options.activeAfterMs = ValueOf(a, L"--active-after=", options.activeAfterMs);
        options.endAfterMs = ValueOf(a, L"--end-after=", options.endAfterMs);
        options.closeAfterMs = ValueOf(a, L"--close-after=", options.closeAfterMs);
        options.destroyTargetAfterMs =
            ValueOf(a, L"--destroy-target-after=", options.destroyTargetAfterMs);
        options.lifetimeMs = ValueOf(a, L"--lifetime=", options.lifetimeMs);
        options.replyId = static_cast<ULONG_PTR>(
            static_cast<unsigned>(ValueOf(a, L"--reply-id=", static_cast<int>(options.replyId))));
        if (std::wcscmp(a, L"--no-reply") == 0) options.activeAfterMs = options.endAfterMs = -1;
        if (std::wcscmp(a, L"--hang") == 0) options.hang = true;
        if (std::wcsncmp(a, L"--reply-inside=", 15) == 0) {
            for (const wchar_t* c = a + 15; *c != 0; ++c) {
                options.replyInside.push_back(static_cast<char>(*c));
            }
            options.activeAfterMs = options.endAfterMs = -1;
        }
    }
}

void CreateWindows(HINSTANCE instance) {
    formWindow = CreateWindowExW(0, L"TKorvaneFrm", L"Korvane", WS_OVERLAPPEDWINDOW, 0, 0, 400, 300,
                                 nullptr, nullptr, instance, nullptr);
    targetWindow = CreateWindowExW(0, L"VistalyneWindowClass", L"", WS_CHILD, 0, 0, 10, 10,
                                   formWindow, nullptr, instance, nullptr);
    std::printf("stand-in: form %08X with target %08X is up\n",
                static_cast<unsigned>(reinterpret_cast<ULONG_PTR>(formWindow) & 0xFFFFFFFF),
                static_cast<unsigned>(reinterpret_cast<ULONG_PTR>(targetWindow) & 0xFFFFFFFF));
    std::fflush(stdout);
    Arm(kLifetimeTimer, options.lifetimeMs);
}

void RegisterClass(HINSTANCE instance, const wchar_t* name, WNDPROC procedure) {
    WNDCLASSEXW windowClass{};
    windowClass.cbSize = sizeof(windowClass);
    windowClass.lpfnWndProc = procedure;
    windowClass.hInstance = instance;
    windowClass.lpszClassName = name;
    RegisterClassExW(&windowClass);
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    ParseOptions(argc, argv);
    HINSTANCE instance = GetModuleHandleW(nullptr);
    RegisterClass(instance, L"TKorvaneFrm", FormProc);
    RegisterClass(instance, L"VistalyneWindowClass", TargetProc);
    if (options.appearAfterMs > 0) Sleep(static_cast<DWORD>(options.appearAfterMs));
    CreateWindows(instance);
    MSG message;
    while (GetMessageW(&message, nullptr, 0, 0) > 0) {
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
    Print("stand-in: done\n");
    return 0;
}
