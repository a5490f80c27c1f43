#include "support/FolderCreation.h"

#include <windows.h>

namespace {

using CreateDirectoryFunction = int(WINAPI*)(HWND, const wchar_t*, const SECURITY_ATTRIBUTES*);

// From the system folder only, never from the current folder or the PATH.
HMODULE LoadShellLibrary() {
    HMODULE shell = LoadLibraryExW(L"shell32.dll", nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32);
    if (shell != nullptr) return shell;
    wchar_t system[MAX_PATH];  // a Windows without LOAD_LIBRARY_SEARCH_SYSTEM32
    const UINT length = GetSystemDirectoryW(system, MAX_PATH);
    if (length == 0 || length >= MAX_PATH - 12) return nullptr;
    return LoadLibraryW((std::wstring(system, length) + L"\\shell32.dll").c_str());
}

}  // namespace

bool IsExistingFolder(const std::wstring& folder) {
    const DWORD attributes = GetFileAttributesW(folder.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

int CreateFolderWithParents(const std::wstring& folder) {
    // Never freed: the call may leave shell threads and windows behind that need it.
    HMODULE shell = LoadShellLibrary();
    if (shell == nullptr) return ERROR_MOD_NOT_FOUND;
    const auto create = reinterpret_cast<CreateDirectoryFunction>(
        reinterpret_cast<void*>(GetProcAddress(shell, "SHCreateDirectoryExW")));
    if (create == nullptr) return ERROR_PROC_NOT_FOUND;
    return create(nullptr, folder.c_str(), nullptr);
}
