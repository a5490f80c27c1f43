// Sets the kiosk application's mainexe registry value in one registry view for a test and
// removes the key again afterwards.
#pragma once

#include <windows.h>

#include <string>

class KioskRegistry {
public:
    // view: KEY_WOW64_32KEY (where the program looks) or KEY_WOW64_64KEY.
    KioskRegistry(const std::wstring& mainExe, REGSAM view);
    ~KioskRegistry();
    KioskRegistry(const KioskRegistry&) = delete;
    KioskRegistry& operator=(const KioskRegistry&) = delete;

    static void RemoveAll();

private:
    REGSAM view;
};
