// The end-to-end driver's entry point: takes the folders of the programs under test from its
// own options, then runs the tests.

#include <gtest/gtest.h>

#include <cwchar>
#include <string>

#include "tests/support/TempFolder.h"

namespace {

constexpr wchar_t kProgramDirOption[] = L"--program-dir=";
constexpr wchar_t kOtherWidthDirOption[] = L"--other-width-dir=";

bool TakeOption(const wchar_t* argument, const wchar_t* option, std::wstring& value) {
    const size_t length = std::wcslen(option);
    if (std::wcsncmp(argument, option, length) != 0) return false;
    value = argument + length;
    return true;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    std::wstring programDir;
    std::wstring otherWidthDir;
    for (int i = 1; i < argc; ++i) {
        (void)(TakeOption(argv[i], kProgramDirOption, programDir) ||
               TakeOption(argv[i], kOtherWidthDirOption, otherWidthDir));
    }
    SetProgramFolders(programDir, otherWidthDir);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
