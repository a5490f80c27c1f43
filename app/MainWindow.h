// The hidden main window: the address the kiosk application replies to, and the timer's home.
#pragma once

#include <windows.h>

constexpr wchar_t kMainWindowClass[] = L"VistalyneSessionHandlerClass";
constexpr wchar_t kMainWindowTitle[] = L"VistalyneSessionHandlerTitle";
constexpr UINT_PTR kSessionTimerId = 10;
constexpr UINT kFirstTickDelayMs = 1000;
constexpr UINT kTickPeriodMs = 10;

// The module instance, kept for the about box.
extern HINSTANCE ProgramInstance;

LRESULT CALLBACK MainWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) noexcept;
