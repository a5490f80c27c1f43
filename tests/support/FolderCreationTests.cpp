#include "support/FolderCreation.h"

#include <windows.h>

#include <gtest/gtest.h>

#include "tests/support/TempFolder.h"

TEST(FolderCreation, MakesMissingParentsAndLeavesAnExistingFolderAlone) {
    TempFolder root;
    const std::wstring nested = root.Path() + L"a\\b\\logs\\";
    EXPECT_FALSE(IsExistingFolder(nested));
    EXPECT_EQ(ERROR_SUCCESS, CreateFolderWithParents(nested));
    EXPECT_TRUE(IsExistingFolder(nested));
    EXPECT_TRUE(IsExistingFolder(root.Path()));
    // A file of that name is no folder.
    const std::wstring file = root.Path() + L"a\\b\\file";
    HANDLE handle = CreateFileW(file.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, 0, nullptr);
    ASSERT_NE(INVALID_HANDLE_VALUE, handle);
    CloseHandle(handle);
    EXPECT_FALSE(IsExistingFolder(file));
    EXPECT_NE(ERROR_SUCCESS, CreateFolderWithParents(file + L"\\logs\\"));
    RemoveDirectoryW(nested.c_str());
    DeleteFileW(file.c_str());
    RemoveDirectoryW((root.Path() + L"a\\b").c_str());
    RemoveDirectoryW((root.Path() + L"a").c_str());
}
