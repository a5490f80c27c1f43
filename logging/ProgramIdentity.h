// Where the kiosk application is installed, and which version of this program is running.
#pragma once

#include <string>

// The folder of the registry's mainexe path, ending in a backslash; empty when the value is
// missing or names no folder at all.
std::wstring ReadMainExeDirectory();

// "V" and the four parts of the file version of the given program file, or "Unknown".
std::wstring VersionTextOfFile(const std::string& path);
std::wstring GetProgramVersion();

// This program's own module path (1024 characters at most).
std::wstring ModulePath();
