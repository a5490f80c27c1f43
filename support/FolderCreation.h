// Makes sure a folder exists, creating it and its missing parents only when it does not.
#pragma once

#include <string>

bool IsExistingFolder(const std::wstring& folder);

// SHCreateDirectoryExW, from the shell library loaded for this call only: the library and
// the many it pulls in cost more at start-up than the rest of the program, and an existing
// folder, the normal case, needs none of them. Returns what the call returned.
int CreateFolderWithParents(const std::wstring& folder);
