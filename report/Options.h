// The log report's command line: what to read, what to write, and how many threads may read.
#pragma once

#include <string>
#include <vector>

#include "report/Period.h"

struct Options {
    std::string csv, jsonl, kiosksCsv, prom, html;
    std::string state;  // the count kept between runs; beside the metrics when they are asked for
    Period period;
    unsigned jobs = 0;  // threads that read at most; 0: one per core
    std::vector<std::string> sources;
};

// Fills options from the arguments after the program's name. Returns the reason they are not
// a command line of the report, or nothing.
std::string ParseOptions(const std::vector<std::string>& arguments, Options& options);
