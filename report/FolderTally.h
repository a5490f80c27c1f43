// One kiosk's folder read against the count kept for it: only what is new is read, and a
// session is counted once, when it settles, whatever happened to the logs meanwhile.
#pragma once

#include <cstdint>
#include <string>

#include "report/FolderRead.h"

// Reads what is new in folder since prior, the folder's count of the last run. Without a
// prior count one begins at now (seconds since 1970): in a new state, whose counters the
// fleet may have seen before, the sessions already settled are taken as seen and every
// counter starts at zero; a folder new to a kept state counts them all, as series of its own.
// readWhole reads every file again (for outputs that show the whole history); what is counted
// stays the same. The read holds the folder's new count, the sessions of the runs read this
// time (settled and open) and those settled since the last run.
FolderRead TallyFolder(const LogFolder& folder, const FolderCount* prior, bool newState,
                       bool readWhole, std::int64_t now, std::string& buffer);
