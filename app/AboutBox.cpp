#include "app/AboutBox.h"

INT_PTR CALLBACK AboutBoxProc(HWND dialog, UINT message, WPARAM wParam, LPARAM) noexcept {
    switch (message) {
        case WM_INITDIALOG:
            return TRUE;  // the platform focuses the first control that takes it: OK
        case WM_COMMAND: {
            const WORD command = LOWORD(wParam);
            if (command == IDOK || command == IDCANCEL) {
                (void)EndDialog(dialog, command);
                return TRUE;
            }
            return FALSE;
        }
    }
    return FALSE;
}
