#include "app/CommandLine.h"

#include "logging/LogStatement.h"

namespace {

void AddPair(const std::wstring& token, CommandLineArguments& arguments) {
    const size_t equals = token.find(L'=');
    if (equals == std::wstring::npos) return;  // not a pair, an empty token included
    arguments.emplace(token.substr(0, equals), token.substr(equals + 1));  // first one wins
}

}  // namespace

void ParseCommandLine(const std::wstring& commandLine, CommandLineArguments& arguments) {
    WriteLogLine(LogLine() << "Processing commandline: " << commandLine);
    // Only U+0020 separates: no quoting, so tabs and quotes are ordinary characters.
    size_t start = 0;
    for (size_t blank = commandLine.find(L' '); blank != std::wstring::npos;
         blank = commandLine.find(L' ', start)) {
        AddPair(commandLine.substr(start, blank - start), arguments);
        start = blank + 1;
    }
    AddPair(commandLine.substr(start), arguments);
    for (const auto& entry : arguments) {
        WriteLogLine(LogLine() << "[" << entry.first << "," << entry.second << "]");
    }
}
