#include "tests/support/KioskRegistry.h"

namespace {

constexpr wchar_t kKey[] = L"Software\\Ferrowick\\Korvane";

}  // namespace

KioskRegistry::KioskRegistry(const std::wstring& mainExe, REGSAM view) : view(view) {
    HKEY key = nullptr;
    if (RegCreateKeyExW(HKEY_LOCAL_MACHINE, kKey, 0, nullptr, 0, KEY_ALL_ACCESS | view, nullptr,
                        &key, nullptr) != ERROR_SUCCESS) {
        return;
    }
    RegSetValueExW(key, L"mainexe", 0, REG_SZ, reinterpret_cast<const BYTE*>(mainExe.c_str()),
                   static_cast<DWORD>((mainExe.size() + 1) * sizeof(wchar_t)));
    RegCloseKey(key);
}

KioskRegistry::~KioskRegistry() {
    RegDeleteKeyExW(HKEY_LOCAL_MACHINE, kKey, view, 0);
}

void KioskRegistry::RemoveAll() {
    RegDeleteKeyExW(HKEY_LOCAL_MACHINE, kKey, KEY_WOW64_32KEY, 0);
    RegDeleteKeyExW(HKEY_LOCAL_MACHINE, kKey, KEY_WOW64_64KEY, 0);
}
