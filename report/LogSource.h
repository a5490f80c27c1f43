// Reads the log files named on the command line: every *.log file of a folder, or a file as
// given, parsed, with what could not be read counted.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "report/Runs.h"
#include "report/Summary.h"

struct SourceRead {
    std::vector<LogFileInput> files;
    ReadCounts counts;
    std::vector<std::string> missing;  // arguments that name nothing readable
};

// Progress is called after each file with the count read and the count in all.
SourceRead ReadLogSources(const std::vector<std::string>& arguments,
                          const std::function<void(size_t, size_t)>& progress);
