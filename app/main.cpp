// The Windows entry point of the Vistalyne Session Handler.

#include <windows.h>

#include "app/SessionHandlerApp.h"

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR commandLine, int) {
    // The show request is ignored on purpose: the main window is always hidden.
    return SessionHandlerApp(instance, commandLine);
}
