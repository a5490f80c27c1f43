// The about box: a modal dialog closed by OK, Enter, Escape or its close box.
#pragma once

#include <windows.h>

INT_PTR CALLBACK AboutBoxProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) noexcept;
