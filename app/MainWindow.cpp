#include "app/MainWindow.h"

#include "app/AboutBox.h"
#include "logging/LogStatement.h"
#include "resources/resource.h"
#include "target/SessionWatch.h"
#include "target/VistalyneMessageProcessor.h"

namespace {

LRESULT OnCopyData(const COPYDATASTRUCT* received) {
    if (received == nullptr) return 0;
    const COPYDATASTRUCT data = *received;  // a copy: the sender's block is valid only now
    if (VistalyneMessageProcessor* processor = CurrentMessageProcessor.get()) {
        processor->ProcessCopyData(data);
    }
    return 0;  // whatever the processor made of it
}

LRESULT OnTimer(HWND window, UINT_PTR timerId) {
    (void)KillTimer(window, timerId);
    SessionWatchTick();
    // Re-armed even after posting the quit message: the timer is never left killed.
    (void)SetTimer(window, timerId, kTickPeriodMs, nullptr);
    return 0;
}

bool HandleMenuCommand(HWND window, WORD command) {
    switch (command) {
        case IDM_ABOUT:
            (void)DialogBoxParamW(ProgramInstance, MAKEINTRESOURCEW(IDD_ABOUTBOX), window,
                                  AboutBoxProc, 0);
            return true;
        case IDM_EXIT:
            (void)DestroyWindow(window);
            return true;
    }
    return false;
}

LRESULT OnPaint(HWND window) {
    PAINTSTRUCT paint;
    (void)BeginPaint(window, &paint);
    EndPaint(window, &paint);
    return 0;
}

LRESULT OnDestroy() {
    WriteLogLine(LogLine() << "Received WM_DESTROY Message");
    PostQuitMessage(0);
    return 0;
}

}  // namespace

LRESULT CALLBACK MainWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) noexcept {
    try {
        switch (message) {
            case WM_COPYDATA:
                return OnCopyData(reinterpret_cast<const COPYDATASTRUCT*>(lParam));
            case WM_TIMER:
                return OnTimer(window, static_cast<UINT_PTR>(wParam));
            case WM_COMMAND:
                if (HandleMenuCommand(window, LOWORD(wParam))) return 0;
                break;  // commands we do not own get the default handling
            case WM_PAINT:
                return OnPaint(window);
            case WM_DESTROY:
                return OnDestroy();
        }
    } catch (...) {
        return 0;  // nothing may unwind through the system's frames
    }
    return DefWindowProcW(window, message, wParam, lParam);
}
