#include "logging/ProgramIdentity.h"

#include <windows.h>

#include <cstdio>
#include <vector>

#include "logging/PathParts.h"
#include "logging/TextConversion.h"
#include "support/ScopedRegistryKey.h"

namespace {

constexpr wchar_t kKioskRegistryKey[] = L"Software\\Ferrowick\\Korvane";
constexpr wchar_t kMainExeValue[] = L"mainexe";
constexpr DWORD kModulePathLength = 1024;
constexpr size_t kVersionTextLength = 1024;

}  // namespace

std::wstring ReadMainExeDirectory() {
    ScopedRegistryKey key;
    // The kiosk application is 32-bit: its key lives in the 32-bit view on 64-bit Windows.
    if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, kKioskRegistryKey, 0, KEY_READ | KEY_WOW64_32KEY,
                      key.Receive()) != ERROR_SUCCESS) {
        return {};
    }
    DWORD byteSize = 0;
    if (RegQueryValueExW(key.Get(), kMainExeValue, nullptr, nullptr, nullptr, &byteSize) !=
        ERROR_SUCCESS) {
        return {};
    }
    // The value may be of any type and any length, an odd one too, and need not end in a
    // zero: one whole character more than the bytes fill always stays zero.
    std::wstring value(byteSize / sizeof(wchar_t) + 2, L'\0');
    (void)RegQueryValueExW(key.Get(), kMainExeValue, nullptr, nullptr,
                           reinterpret_cast<BYTE*>(&value[0]), &byteSize);
    value.resize(value.find(L'\0'));
    // A value without any backslash names no folder: log beside the program instead.
    if (value.find(L'\\') == std::wstring::npos) return {};
    return DirectoryPart(value);
}

std::wstring VersionTextOfFile(const std::string& path) {
    const DWORD size = GetFileVersionInfoSizeA(path.c_str(), nullptr);
    if (size < 1) return L"Unknown";
    std::vector<BYTE> block(size);
    if (!GetFileVersionInfoA(path.c_str(), 0, size, block.data())) return L"Unknown";
    VS_FIXEDFILEINFO* fixed = nullptr;
    UINT fixedLength = 0;
    if (!VerQueryValueA(block.data(), "\\", reinterpret_cast<void**>(&fixed), &fixedLength) ||
        fixed == nullptr || fixedLength < sizeof(VS_FIXEDFILEINFO)) {
        return L"Unknown";
    }
    char text[kVersionTextLength];
    std::snprintf(text, sizeof(text), "V%i.%i.%i.%i",
                  static_cast<int>(HIWORD(fixed->dwFileVersionMS)),
                  static_cast<int>(LOWORD(fixed->dwFileVersionMS)),
                  static_cast<int>(HIWORD(fixed->dwFileVersionLS)),
                  static_cast<int>(LOWORD(fixed->dwFileVersionLS)));
    return NarrowToWide(text);
}

std::wstring GetProgramVersion() {
    char path[kModulePathLength] = {};
    const DWORD length = GetModuleFileNameA(nullptr, path, kModulePathLength);
    if (length == 0 || length >= kModulePathLength) return L"Unknown";
    return VersionTextOfFile(path);
}

std::wstring ModulePath() {
    wchar_t path[kModulePathLength] = {};
    const DWORD length = GetModuleFileNameW(nullptr, path, kModulePathLength);
    return std::wstring(path, length < kModulePathLength ? length : 0);
}
