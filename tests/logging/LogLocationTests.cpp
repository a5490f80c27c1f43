#include "logging/ProgramIdentity.h"

#include <gtest/gtest.h>

#include "logging/LogFileManager.h"
#include "logging/PathParts.h"
#include "tests/support/KioskRegistry.h"
#include "tests/support/TempFolder.h"

class LogLocation : public ::testing::Test {
protected:
    void SetUp() override { KioskRegistry::RemoveAll(); }
    void TearDown() override { KioskRegistry::RemoveAll(); }
};

TEST_F(LogLocation, FindsTheKioskFolderInThe32BitView) {
    KioskRegistry value(L"C:\\Program Files\\Korvane\\Korvane.exe", KEY_WOW64_32KEY);
    EXPECT_EQ(L"C:\\Program Files\\Korvane\\", ReadMainExeDirectory());
}

TEST_F(LogLocation, IgnoresAValueOnlyInThe64BitView) {
    KioskRegistry value(L"C:\\Program Files\\Korvane\\Korvane.exe", KEY_WOW64_64KEY);
    EXPECT_EQ(L"", ReadMainExeDirectory());
}

TEST_F(LogLocation, ValueEndingInABackslashIsTheFolderItself) {
    KioskRegistry value(L"D:\\Kiosk\\", KEY_WOW64_32KEY);
    EXPECT_EQ(L"D:\\Kiosk\\", ReadMainExeDirectory());
}

TEST_F(LogLocation, ValueWithoutAnyBackslashCountsAsMissing) {
    KioskRegistry value(L"Korvane.exe", KEY_WOW64_32KEY);
    EXPECT_EQ(L"", ReadMainExeDirectory());
}

TEST_F(LogLocation, ValuesOfAnyTypeAndLengthAreReadUpToTheirFirstZero) {
    HKEY key = nullptr;
    ASSERT_EQ(ERROR_SUCCESS,
              RegCreateKeyExW(HKEY_LOCAL_MACHINE, L"Software\\Ferrowick\\Korvane", 0, nullptr, 0,
                              KEY_WRITE | KEY_WOW64_32KEY, nullptr, &key, nullptr));
    auto set = [key](DWORD type, const void* data, DWORD size) {
        return RegSetValueExW(key, L"mainexe", 0, type, static_cast<const BYTE*>(data), size);
    };
    // Text without its zero and an odd byte after it: the odd byte makes a character of its own.
    const wchar_t text[] = L"D:\\Kiosk\\k.exe";
    std::string odd(reinterpret_cast<const char*>(text), sizeof(text) - sizeof(wchar_t));
    odd.push_back('x');
    ASSERT_EQ(ERROR_SUCCESS, set(REG_BINARY, odd.data(), static_cast<DWORD>(odd.size())));
    EXPECT_EQ(L"D:\\Kiosk\\", ReadMainExeDirectory());
    const DWORD number = 0x5C5C5C5C;  // no wide backslash in it: treated as missing
    ASSERT_EQ(ERROR_SUCCESS, set(REG_DWORD, &number, sizeof(number)));
    EXPECT_EQ(L"", ReadMainExeDirectory());
    ASSERT_EQ(ERROR_SUCCESS, set(REG_SZ, nullptr, 0));
    EXPECT_EQ(L"", ReadMainExeDirectory());
    RegCloseKey(key);
}

TEST_F(LogLocation, ProgramLogGoesToLogsBesideTheKioskApplication) {
    TempFolder kiosk;
    KioskRegistry value(kiosk.Path() + L"Korvane.exe", KEY_WOW64_32KEY);
    LogFile* log = GetProgramLog();
    EXPECT_EQ(log, GetProgramLog());  // made once
    EXPECT_EQ(kiosk.Path() + L"logs\\", DirectoryPart(log->CurrentPath()));
    EXPECT_EQ(1u, FilesIn(kiosk.Path() + L"logs\\").size());
    delete ProgramLog;
    ProgramLog = nullptr;
}

TEST_F(LogLocation, WithoutTheKeyTheProgramLogGoesBesideTheProgram) {
    LogFile* log = GetProgramLog();
    EXPECT_EQ(DirectoryPart(ModulePath()) + L"logs\\", DirectoryPart(log->CurrentPath()));
    const std::wstring path = log->CurrentPath();
    delete ProgramLog;
    ProgramLog = nullptr;
    DeleteFileW(path.c_str());
    RemoveDirectoryW((DirectoryPart(ModulePath()) + L"logs").c_str());
}

TEST(PathParts, SplitAtTheLastBackslash) {
    EXPECT_EQ(L"prog.exe", FileNamePart(L"C:\\A\\B\\prog.exe"));
    EXPECT_EQ(L"prog.exe", FileNamePart(L"prog.exe"));
    EXPECT_EQ(L"", FileNamePart(L"C:\\A\\"));
    EXPECT_EQ(L"C:\\A\\B\\", DirectoryPart(L"C:\\A\\B\\prog.exe"));
    EXPECT_EQ(L"", DirectoryPart(L""));
    EXPECT_EQ(L"prog.exe\\", DirectoryPart(L"prog.exe"));
    // Only the text before the first zero character counts.
    EXPECT_EQ(L"C:\\A\\", DirectoryPart(std::wstring(L"C:\\A\\b\0\\c\\d", 11)));
    EXPECT_EQ(L"b", FileNamePart(std::wstring(L"C:\\A\\b\0\\c", 9)));
}

TEST(PathParts, TrailingBackslashIsAddedOnce) {
    EXPECT_EQ(L"C:\\logs\\", WithTrailingBackslash(L"C:\\logs"));
    EXPECT_EQ(L"C:\\logs\\", WithTrailingBackslash(L"C:\\logs\\"));
    EXPECT_EQ(L"", WithTrailingBackslash(L""));
}

TEST(ProgramVersion, AProgramWithoutVersionInformationIsUnknown) {
    EXPECT_EQ(L"Unknown", GetProgramVersion());  // the test program carries no version block
    EXPECT_EQ(L"Unknown", VersionTextOfFile("C:\\no\\such\\file.exe"));
}
