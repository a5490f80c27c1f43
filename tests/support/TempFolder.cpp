#include "tests/support/TempFolder.h"

#include <windows.h>

#include <algorithm>
#include <utility>

namespace {

void DeleteTree(const std::wstring& folder) {
    WIN32_FIND_DATAW found;
    HANDLE search = FindFirstFileW((folder + L"*").c_str(), &found);
    if (search != INVALID_HANDLE_VALUE) {
        do {
            const std::wstring name = found.cFileName;
            if (name == L"." || name == L"..") continue;
            const std::wstring full = folder + name;
            if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
                DeleteTree(full + L"\\");
            } else {
                SetFileAttributesW(full.c_str(), FILE_ATTRIBUTE_NORMAL);
                DeleteFileW(full.c_str());
            }
        } while (FindNextFileW(search, &found));
        FindClose(search);
    }
    RemoveDirectoryW(folder.c_str());
}

}  // namespace

TempFolder::TempFolder() {
    wchar_t temp[MAX_PATH];
    GetTempPathW(MAX_PATH, temp);
    static unsigned counter = 0;
    path = std::wstring(temp) + L"vsh-test-" + std::to_wstring(GetCurrentProcessId()) + L"-" +
           std::to_wstring(++counter) + L"\\";
    // Wine reuses process ids: a run that was killed may have left a folder of this name,
    // and its files must not count as this run's.
    DeleteTree(path);
    CreateDirectoryW(path.c_str(), nullptr);
}

TempFolder::~TempFolder() {
    DeleteTree(path);
}

std::string ReadWholeFile(const std::wstring& path) {
    HANDLE file = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                              nullptr, OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE) return {};
    std::string bytes;
    char buffer[65536];
    DWORD read = 0;
    while (ReadFile(file, buffer, sizeof(buffer), &read, nullptr) && read > 0) {
        bytes.append(buffer, read);
    }
    CloseHandle(file);
    return bytes;
}

std::vector<std::wstring> FilesIn(const std::wstring& folder) {
    std::vector<std::wstring> names;
    WIN32_FIND_DATAW found;
    HANDLE search = FindFirstFileW((folder + L"*").c_str(), &found);
    if (search == INVALID_HANDLE_VALUE) return names;
    do {
        if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) names.push_back(found.cFileName);
    } while (FindNextFileW(search, &found));
    FindClose(search);
    std::sort(names.begin(), names.end());
    return names;
}

std::vector<std::string> SplitLogLines(const std::string& bytes) {
    std::vector<std::string> lines;
    size_t start = 0;
    for (size_t end = bytes.find("|\r\n"); end != std::string::npos;
         end = bytes.find("|\r\n", start)) {
        lines.push_back(bytes.substr(start, end - start));
        start = end + 3;
    }
    return lines;
}

std::vector<std::string> LogFolderLines(const std::wstring& folder) {
    std::vector<std::string> lines;
    for (const std::wstring& name : FilesIn(folder)) {
        for (std::string& line : SplitLogLines(ReadWholeFile(folder + name))) {
            lines.push_back(std::move(line));
        }
    }
    return lines;
}

std::string LineText(const std::string& line) {
    return line.size() >= 18 ? line.substr(18) : "";
}

std::string LineCode(const std::string& line) {
    return line.size() >= 17 ? line.substr(14, 3) : "";
}

std::wstring ProgramFolder() {
    wchar_t path[MAX_PATH];
    const DWORD length = GetModuleFileNameW(nullptr, path, MAX_PATH);
    std::wstring folder(path, length);
    return folder.substr(0, folder.rfind(L'\\') + 1);
}

namespace {

std::wstring programUnderTestFolder;
std::wstring otherWidthFolder;

}  // namespace

std::wstring WindowsFolder(std::wstring folder) {
    if (folder.empty()) return folder;
    if (folder.front() == L'/') folder = L"Z:" + folder;
    std::replace(folder.begin(), folder.end(), L'/', L'\\');
    if (folder.back() != L'\\') folder.push_back(L'\\');
    return folder;
}

void SetProgramFolders(const std::wstring& programFolder, const std::wstring& otherFolder) {
    programUnderTestFolder = WindowsFolder(programFolder);
    otherWidthFolder = WindowsFolder(otherFolder);
}

std::wstring ProgramUnderTestFolder() {
    return programUnderTestFolder.empty() ? ProgramFolder() : programUnderTestFolder;
}

std::wstring OtherWidthFolder() {
    wchar_t runs[8];
    const DWORD length = GetEnvironmentVariableW(L"VSH_OTHER_WIDTH_RUNS", runs, 8);
    if (length > 0 && length < 8 && std::wstring(runs, length) == L"no") return {};
    return otherWidthFolder;
}
