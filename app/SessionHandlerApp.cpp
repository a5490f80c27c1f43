#include "app/SessionHandlerApp.h"

#include <memory>
#include <string>

#include "app/CommandLine.h"
#include "app/MainWindow.h"
#include "logging/LogFileManager.h"
#include "logging/LogStatement.h"
#include "resources/resource.h"
#include "support/MessageWindow.h"
#include "support/MonotonicClock.h"
#include "target/VistalyneMessageProcessor.h"
#include "target/VistalyneProcessMonitor.h"
#include "target/WindowDiscovery.h"

namespace {

constexpr wchar_t kPageNameKey[] = L"PageName";
constexpr int kTargetSearchLimitForLog = 5000;

std::wstring PageNameFrom(const std::wstring& commandLine) {
    CommandLineArguments arguments;
    ParseCommandLine(commandLine, arguments);
    const auto entry = arguments.find(kPageNameKey);
    return entry != arguments.end() ? entry->second : std::wstring();
}

void RegisterMainWindowClass(HINSTANCE instance) {
    WNDCLASSEXW windowClass{};
    windowClass.cbSize = sizeof(windowClass);
    windowClass.style = CS_HREDRAW | CS_VREDRAW;
    windowClass.lpfnWndProc = MainWindowProc;
    windowClass.hInstance = instance;
    windowClass.hIcon = LoadIconW(instance, MAKEINTRESOURCEW(IDI_SESSIONHANDLER));
    windowClass.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
    windowClass.lpszMenuName = MAKEINTRESOURCEW(IDC_SESSIONHANDLER);
    windowClass.lpszClassName = kMainWindowClass;
    windowClass.hIconSm = LoadIconW(instance, MAKEINTRESOURCEW(IDI_SMALL));
    (void)RegisterClassExW(&windowClass);  // a failure shows as the window not being created
}

// Polls without pause and without dispatching messages, so the timer cannot tick meanwhile.
void SearchForTarget(HWND& formWindow, HWND& targetWindow) {
    formWindow = nullptr;
    targetWindow = nullptr;
    const double searchStart = ElapsedMilliseconds();
    WriteLogLine(LogLine() << "Searching for vistalyne window handle for "
                           << kTargetSearchLimitForLog << " milliseconds");
    while (ElapsedMilliseconds() - searchStart < kTargetSearchLimitMs) {
        (void)FindTargetWindows(formWindow, targetWindow);  // the target handle alone decides
        if (targetWindow != nullptr) return;
    }
}

void LogSearchResult(const char* opening, HWND targetWindow, HWND formWindow) {
    WriteLogLine(LogLine() << opening << "["
                           << "vistalyneWindowHandle"
                           << " | " << targetWindow << "] "
                           << "["
                           << "tKorvaneForm (can be null)"
                           << " | " << formWindow << "] ");
}

int RunMessageLoop(HACCEL accelerators) {
    MSG message{};
    while (GetMessageW(&message, nullptr, 0, 0) > 0) {
        // Accelerators and character translation act on keyboard messages alone; the timer's
        // hundred ticks a second are spared two calls into the system that would do nothing.
        const bool keyboard = IsKeyboardMessage(message.message);
        if (!keyboard || !TranslateAcceleratorW(message.hwnd, accelerators, &message)) {
            if (keyboard) TranslateMessage(&message);
            DispatchMessageW(&message);
        }
    }
    return static_cast<int>(message.wParam);
}

// The log closes last but for the message window, which nothing logs through.
int ShutDown(std::unique_ptr<MessageWindow>& messageWindow, int exitCode) {
    WriteLogLine(LogLine() << "Shutting Down Vistalyne Session Handler");
    delete ProgramLog;
    ProgramLog = nullptr;
    messageWindow.reset();
    return exitCode;
}

}  // namespace

int SessionHandlerApp(HINSTANCE instance, const wchar_t* commandLine) {
    auto messageWindow = std::make_unique<MessageWindow>(instance);
    (void)GetProgramLog();  // the log exists before its first line
    WriteLogLine(LogLine() << "Preparing Vistalyne Session Handler");
    const std::wstring pageName = PageNameFrom(commandLine != nullptr ? commandLine : L"");

    RegisterMainWindowClass(instance);
    ProgramInstance = instance;
    HWND mainWindow =
        CreateWindowExW(0, kMainWindowClass, kMainWindowTitle, WS_OVERLAPPEDWINDOW, CW_USEDEFAULT,
                        0, CW_USEDEFAULT, 0, nullptr, nullptr, instance, nullptr);
    if (mainWindow == nullptr) {
        // Left to the end of the process: its log still gets the exit-time warning.
        (void)messageWindow.release();
        return 0;
    }
    ShowWindow(mainWindow, SW_HIDE);  // never shown, whatever the launcher asked for
    UpdateWindow(mainWindow);
    HACCEL accelerators = LoadAcceleratorsW(instance, MAKEINTRESOURCEW(IDC_SESSIONHANDLER));
    (void)SetTimer(mainWindow, kSessionTimerId, kFirstTickDelayMs, nullptr);

    HWND formWindow = nullptr;
    HWND targetWindow = nullptr;
    SearchForTarget(formWindow, targetWindow);
    if (targetWindow == nullptr) {
        LogSearchResult("Failed to find the vistalyne window handle ", targetWindow, formWindow);
        return ShutDown(messageWindow, kTargetNotFoundExitCode);
    }
    LogSearchResult("Found the vistalyne window handle ", targetWindow, formWindow);

    SetProcessMonitor(new VistalyneProcessMonitor(formWindow));
    // Installed before the send: the kiosk application may reply from inside its handler.
    CurrentMessageProcessor.reset(
        new VistalyneMessageProcessor(mainWindow, targetWindow, pageName));
    if (!CurrentMessageProcessor->SendSessionStart()) {
        WriteLogLine(
            LogLine() << "Failed to send session start to vistalyne, closing application.");
        (void)messageWindow.release();  // as with a failed window: the exit-time clean-up follows
        return 0;
    }
    WriteLogLine(LogLine() << "Successfully sent session start to the vistalyne");

    const int exitCode = RunMessageLoop(accelerators);
    CurrentMessageProcessor.reset();
    SetProcessMonitor(nullptr);
    return ShutDown(messageWindow, exitCode);
}
