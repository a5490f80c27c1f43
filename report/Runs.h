// Joins log files into runs of the session handler: one run is one session, and its lines may
// span several files of one folder when the log rotated or a file was taken away.
#pragma once

#include <string>
#include <vector>

#include "report/RunState.h"

struct LogFileInput {
    std::string folder;  // as found
    std::string name;
    RunState state;
};

struct LogRun {
    std::string folder;
    RunState state;
    int files = 0;
    // Its log is closed, or a later run started in the folder after its last line (it was cut
    // short); until then it may still be going on.
    bool settled = false;
    std::vector<std::string> fileNames;  // its files, the first one first
};

// A file opening with "Starting new UTC Logfile" starts a run. One opening with "Starting next
// UTC logfile" continues, in the same folder, the run whose last file ended with a rotation
// notice at that time; one opening with the missing-file notice continues the open run that
// wrote last before it. A file that continues nothing, or opens with neither, starts a run of
// its own. Files without a readable line belong to no run. The runs come in the order they
// started.
std::vector<LogRun> JoinIntoRuns(std::vector<LogFileInput> files);
