// The size and modification time of a file, asked of the system in one call: a run with a
// state tells a file that did not change from these alone, without opening it.
#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>

struct FileFacts {
    std::uint64_t size = 0;
    std::int64_t modified = 0;  // nanoseconds since 1970 (whole seconds where that is all)
};

// Nothing when the file cannot be asked about (gone, or not reachable).
std::optional<FileFacts> FactsOf(const std::filesystem::path& path);
