// One log file taken in line by line, in pieces of any size: memory stays the same whatever
// a file holds, and only its run's state is kept.
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>
#include <utility>

#include "report/RunState.h"

struct FileDigest {
    RunState state;
    int unreadable = 0;  // pieces that are no whole line
};

// Takes a file's bytes piece by piece, in order; the digest is the same however the bytes
// are cut. A line that grows past kLogLineBytesAtMost is dropped as it goes: one unreadable.
class LogDigester {
public:
    LogDigester() = default;
    // Goes on from what an earlier digester had taken of the whole lines of a file.
    explicit LogDigester(FileDigest wholeLines) : digest(std::move(wholeLines)) {}

    void Feed(std::string_view piece);
    // What the whole lines fed so far give, and how many bytes they span: a file read again
    // later goes on from there.
    const FileDigest& WholeLines() const { return digest; }
    std::uint64_t WholeLineBytes() const { return wholeBytes; }
    // The digest of the bytes fed; a last line without its CR LF counts as unreadable.
    FileDigest Finish();

private:
    FileDigest digest;
    std::string pending;    // the start of a line whose end has not come yet
    bool overlong = false;  // in a line too long to keep, until its CR LF
    std::uint64_t fed = 0;
    std::uint64_t wholeBytes = 0;
};

// All of one file's bytes at once.
FileDigest DigestLogFile(std::string_view bytes);

// Reads the file at path in pieces through buffer (the caller's, reused from file to file),
// adding the bytes read to bytesRead. False when it cannot be opened or read.
bool DigestLogFileAt(const std::filesystem::path& path, std::string& buffer, FileDigest& digest,
                     std::uint64_t& bytesRead);

// Feeds the bytes of the file at path from offset to its end, keeping the first headBytes of
// them in head when it is given. False when it cannot be opened or read.
bool FeedLogFileFrom(const std::filesystem::path& path, std::uint64_t offset, std::string& buffer,
                     LogDigester& digester, std::uint64_t& bytesRead, std::string* head = nullptr,
                     size_t headBytes = 0);
