// The "--name=value" options of the tools that play the kiosk application.
#pragma once

#include <cwchar>
#include <string>

// The value of the first argument that starts with name (name includes the "="), or empty.
inline std::wstring OptionValue(int argc, wchar_t** argv, const wchar_t* name) {
    const size_t length = std::wcslen(name);
    for (int i = 1; i < argc; ++i) {
        if (std::wcsncmp(argv[i], name, length) == 0) return argv[i] + length;
    }
    return L"";
}

// A whole number option, or the fallback when it is absent or not a number.
inline int IntOption(int argc, wchar_t** argv, const wchar_t* name, int fallback) {
    const std::wstring value = OptionValue(argc, argv, name);
    wchar_t* end = nullptr;
    const long number = std::wcstol(value.c_str(), &end, 10);
    return value.empty() || *end != L'\0' ? fallback : static_cast<int>(number);
}
