// Splitting and finishing Windows paths; each reads a text only up to its first zero character.
#pragma once

#include <string>

std::wstring FileNamePart(const std::wstring& path);
std::wstring DirectoryPart(const std::wstring& path);
std::wstring WithTrailingBackslash(const std::wstring& path);
