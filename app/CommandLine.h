// The launcher's command line: blank-separated key=value pairs, the first of each key kept.
#pragma once

#include <map>
#include <string>

// Keys compare code unit by code unit, case-sensitive.
using CommandLineArguments = std::map<std::wstring, std::wstring>;

// Logs the command line and then every pair in key order.
void ParseCommandLine(const std::wstring& commandLine, CommandLineArguments& arguments);
