// One log file taken in line by line, in pieces of any size: memory stays the same whatever
// a file holds, and only its run's state is kept.
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>

#include "report/RunState.h"

struct FileDigest {
    RunState state;
    int unreadable = 0;  // pieces that are no whole line
};

// Takes a file's bytes piece by piece, in order; the digest is the same however the bytes
// are cut. A line that grows past kLogLineBytesAtMost is dropped as it goes: one unreadable.
class LogDigester {
public:
    void Feed(std::string_view piece);
    // The digest of the bytes fed; a last line without its CR LF counts as unreadable.
    FileDigest Finish();

private:
    FileDigest digest;
    std::string pending;    // the start of a line whose end has not come yet
    bool overlong = false;  // in a line too long to keep, until its CR LF
};

// All of one file's bytes at once.
FileDigest DigestLogFile(std::string_view bytes);

// Reads the file at path in pieces through buffer (the caller's, reused from file to file),
// adding the bytes read to bytesRead. False when it cannot be opened or read.
bool DigestLogFileAt(const std::filesystem::path& path, std::string& buffer, FileDigest& digest,
                     std::uint64_t& bytesRead);
