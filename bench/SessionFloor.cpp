// The floor of the session benchmarks: the least a program can do to open a session. It
// registers a window class, creates a hidden window, looks for the kiosk's target window for
// at most 5000 ms (without pause, as the session handler does), and sends it one WM_COPYDATA
// "sessionstart:Home". With --hold=MS it then keeps, for that long, the session handler's
// timer: killed and re-armed with 10 ms on every tick. Other arguments are ignored (the
// benchmark marks its processes with one).
//
//   SessionFloor [--hold=MS]     exit code 0: sent, 1: no kiosk found

#include <windows.h>

#include <cstring>
#include <cwchar>

namespace {

constexpr UINT_PTR kTimerId = 10;
constexpr UINT kTickMs = 10;
constexpr DWORD kSearchMs = 5000;
constexpr ULONG_PTR kSessionMessageId = 100;

DWORD holdUntil = 0;

LRESULT CALLBACK FloorProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_TIMER) {
        KillTimer(window, wParam);
        if (static_cast<LONG>(GetTickCount() - holdUntil) >= 0) PostQuitMessage(0);
        SetTimer(window, wParam, kTickMs, nullptr);
        return 0;
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

HWND FindTarget() {
    HWND form = FindWindowW(L"TKorvaneFrm", nullptr);
    if (form != nullptr) {
        HWND target = FindWindowExW(form, nullptr, L"VistalyneWindowClass", nullptr);
        if (target != nullptr) return target;
    }
    return FindWindowW(L"VistalyneWindowClass", nullptr);
}

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR commandLine, int) {
    DWORD holdMs = 0;
    if (const wchar_t* hold = std::wcsstr(commandLine, L"--hold=")) {
        holdMs = static_cast<DWORD>(std::wcstoul(hold + 7, nullptr, 10));
    }
    WNDCLASSEXW windowClass{};
    windowClass.cbSize = sizeof(windowClass);
    windowClass.lpfnWndProc = FloorProc;
    windowClass.hInstance = instance;
    windowClass.lpszClassName = L"SessionFloorClass";
    RegisterClassExW(&windowClass);
    HWND window = CreateWindowExW(0, L"SessionFloorClass", L"", WS_OVERLAPPEDWINDOW, 0, 0, 0, 0,
                                  nullptr, nullptr, instance, nullptr);
    HWND target = nullptr;
    const DWORD searchStart = GetTickCount();
    while ((target = FindTarget()) == nullptr && GetTickCount() - searchStart < kSearchMs) {}
    if (target == nullptr) return 1;
    char text[] = "sessionstart:Home";
    COPYDATASTRUCT data{kSessionMessageId, static_cast<DWORD>(std::strlen(text)), text};
    SendMessageW(target, WM_COPYDATA, reinterpret_cast<WPARAM>(window),
                 reinterpret_cast<LPARAM>(&data));
    if (holdMs == 0) return 0;
    holdUntil = GetTickCount() + holdMs;
    SetTimer(window, kTimerId, kTickMs, nullptr);
    MSG message;
    while (GetMessageW(&message, nullptr, 0, 0) > 0) DispatchMessageW(&message);
    return 0;
}
