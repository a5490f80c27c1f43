// Reads one kiosk's folder of log files into its sessions: the unit of work that the report
// spreads over the cores.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "report/LogSource.h"
#include "report/Session.h"

// What the reading of the files met besides sessions.
struct ReadCounts {
    int files = 0;
    int unreadableFiles = 0;  // empty, or without one line of the session handler's format
    int unreadableLines = 0;  // torn, garbled or cut short, in files that were read
    int unlistedFolders = 0;  // folders whose listing failed or broke off

    void Add(const ReadCounts& more) {
        files += more.files;
        unreadableFiles += more.unreadableFiles;
        unreadableLines += more.unreadableLines;
        unlistedFolders += more.unlistedFolders;
    }
};

struct FolderRead {
    std::string folder;             // as found, made valid UTF-8 for every output
    std::vector<Session> sessions;  // by start
    ReadCounts counts;
    std::uint64_t bytes = 0;
};

// Each file is taken in line by line and only its run's state is kept. The buffer is the
// caller's, reused from file to file.
FolderRead ReadLogFolder(const LogFolder& folder, std::string& buffer);
