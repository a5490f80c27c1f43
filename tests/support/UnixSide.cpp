#include "tests/support/UnixSide.h"

#include <cstdlib>

#include "tests/support/TempFolder.h"

namespace {

constexpr wchar_t kProc[] = L"Z:\\proc\\";

}  // namespace

std::wstring UnixProcessWith(const std::string& marker) {
    WIN32_FIND_DATAW found;
    HANDLE search = FindFirstFileW((std::wstring(kProc) + L"*").c_str(), &found);
    if (search == INVALID_HANDLE_VALUE) return L"";
    std::wstring match;
    do {
        const std::wstring name = found.cFileName;
        if (name.find_first_not_of(L"0123456789") != std::wstring::npos) continue;
        const std::string commandLine = ReadWholeFile(kProc + name + L"\\cmdline");
        if (commandLine.find(marker) != std::string::npos) match = name;
    } while (match.empty() && FindNextFileW(search, &found));
    FindClose(search);
    return match;
}

double UnixCpuMsOf(const std::wstring& unixProcess) {
    double ns = 0;
    const std::wstring tasks = kProc + unixProcess + L"\\task\\";
    WIN32_FIND_DATAW found;
    HANDLE search = FindFirstFileW((tasks + L"*").c_str(), &found);
    if (search == INVALID_HANDLE_VALUE) return 0;
    do {
        if (found.cFileName[0] == L'.') continue;
        ns += std::strtod(ReadWholeFile(tasks + found.cFileName + L"\\schedstat").c_str(), nullptr);
    } while (FindNextFileW(search, &found));
    FindClose(search);
    return ns / 1e6;
}

DWORD UnixFilesOf(const std::wstring& unixProcess) {
    if (unixProcess.empty()) return 0;
    return static_cast<DWORD>(FilesIn(kProc + unixProcess + L"\\fd\\").size());
}
