// What the reading of a kiosk's files met besides sessions.
#pragma once

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
