// Reads log files as a strict reader would: whole lines only, each "yymmdd|hhmmss|ccc|text|"
// and CR LF, nothing after the last terminator.
#pragma once

#include <string>
#include <vector>

struct StrictLog {
    std::vector<std::string> lines;  // each without its "|" CR LF
    std::string problem;             // empty when every byte belongs to a whole line
};

bool IsWholeLogLine(const std::string& line);  // without its "|" CR LF
StrictLog ReadStrictLog(const std::string& bytes);
