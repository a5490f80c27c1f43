// A Wine program's own Unix process, seen through Wine's drive Z: (/proc): what Wine does not
// report of other processes (their CPU time, their open files) can be read there.
#pragma once

#include <windows.h>

#include <string>

// The process whose command line holds marker (the tools put one there), or empty.
std::wstring UnixProcessWith(const std::string& marker);

// The time its threads have run, in milliseconds, from their schedstat.
double UnixCpuMsOf(const std::wstring& unixProcess);

// How many files (descriptors) it holds open.
DWORD UnixFilesOf(const std::wstring& unixProcess);
