// Finding the kiosk application's form and target windows by their window classes alone.
#pragma once

#include <windows.h>

#include <vector>

using WindowHandleList = std::vector<HWND>;

// Enumeration callbacks: lParam carries a WindowHandleList*; they append windows of exactly
// the class "TKorvaneFrm" (forms) or "VistalyneWindowClass" (targets) and always go on.
BOOL CALLBACK CollectFormWindows(HWND window, LPARAM list) noexcept;
BOOL CALLBACK CollectTargetWindows(HWND window, LPARAM list) noexcept;

// Every target window under the parent, in the platform's order; a null parent means the
// top-level windows.
WindowHandleList TargetWindowsUnder(HWND parent);

// The first form with a target among its descendants wins, then a top-level target (form null).
// Both handles are null when nothing is found.
bool FindTargetWindows(HWND& formWindow, HWND& targetWindow);

// Exact, case-sensitive comparison of a whole class name.
bool IsClassName(const char* className, int length, const char* expected);
