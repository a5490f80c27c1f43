#include "logging/PathParts.h"

namespace {

std::wstring UpToFirstZero(const std::wstring& text) {
    return text.substr(0, text.find(L'\0'));
}

}  // namespace

std::wstring FileNamePart(const std::wstring& path) {
    const std::wstring text = UpToFirstZero(path);
    const size_t lastBackslash = text.rfind(L'\\');
    return lastBackslash == std::wstring::npos ? text : text.substr(lastBackslash + 1);
}

std::wstring DirectoryPart(const std::wstring& path) {
    const std::wstring text = UpToFirstZero(path);
    const size_t lastBackslash = text.rfind(L'\\');
    if (lastBackslash != std::wstring::npos) return text.substr(0, lastBackslash + 1);
    return text.empty() ? text : text + L'\\';
}

std::wstring WithTrailingBackslash(const std::wstring& path) {
    if (path.empty() || path.back() == L'\\') return path;
    return path + L'\\';
}
