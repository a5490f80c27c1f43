// Reads one kiosk's folder of log files into its sessions: the unit of work that the report
// spreads over the cores.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "report/CountState.h"
#include "report/ReadCounts.h"
#include "report/LogSource.h"
#include "report/Session.h"

struct FolderRead {
    std::string folder;             // as found, made valid UTF-8 for every output
    std::vector<Session> sessions;  // by start
    ReadCounts counts;
    std::uint64_t bytes = 0;
    // With a kept count: the folder's count after this run, the sessions settled since the
    // last run (counted, or taken as seen by a new count), and the log files opened.
    std::optional<FolderCount> count;
    std::vector<Session> settled;
    int filesOpened = 0;
};

// Each file is taken in line by line and only its run's state is kept. The buffer is the
// caller's, reused from file to file.
FolderRead ReadLogFolder(const LogFolder& folder, std::string& buffer);
