// The program's whole run: start-up, the search for the kiosk application, the session, shut-down.
#pragma once

#include <windows.h>

constexpr int kTargetNotFoundExitCode = 1;
constexpr double kTargetSearchLimitMs = 5000.0;

// The messages TranslateAcceleratorW and TranslateMessage can act on (WM_KEYFIRST to
// WM_KEYLAST); for any other they do nothing.
inline bool IsKeyboardMessage(UINT message) {
    return message >= WM_KEYFIRST && message <= WM_KEYLAST;
}

// The command line without the program's own path; returns the process exit code.
int SessionHandlerApp(HINSTANCE instance, const wchar_t* commandLine);
