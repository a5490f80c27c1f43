// The progress line of a long read, for a person at a terminal only: files and bytes read,
// the rate and the time left.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

bool StandardErrorIsTerminal();

struct SourceTotals {
    std::uint64_t files = 0;
    std::uint64_t bytes = 0;
};

// What the walk of the arguments will read, for the time left; sizes only, nothing read.
SourceTotals CountLogSources(const std::vector<std::string>& arguments);

std::string ProgressLine(std::uint64_t files, std::uint64_t bytes, const SourceTotals& all,
                         double seconds);
