// The one pass over a fleet's logs: the folders found are read on worker threads, every core
// busy, and handed on in the order they were found, so the outputs can be written as they go.
#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "report/FolderRead.h"

// What has been read so far, for a progress line; updated by the workers.
struct ReadProgress {
    std::atomic<std::uint64_t> files{0};
    std::atomic<std::uint64_t> bytes{0};
    std::atomic<std::uint64_t> foldersHeldAtMost{0};  // found and not yet handed on, at most
};

// How one folder is read (ReadLogFolder, say), with a buffer of the thread's own.
using ReadFolder = std::function<FolderRead(const LogFolder&, std::string&)>;

// Reads each folder found with read and calls take with it on the calling thread, in the
// walk's order. At most a few
// folders per worker are in memory at once: the walk waits while the reads ahead of the one
// to take next are that many. tick is called on the calling thread now and then while it
// waits. With one worker (or none asked for) everything runs on the calling thread and no
// thread is started. Returns what the walk could not reach.
WalkTrouble ReadInOrder(const std::vector<std::string>& arguments, unsigned workers,
                        ReadProgress& progress, const ReadFolder& read,
                        const std::function<void(FolderRead&&)>& take,
                        const std::function<void()>& tick);
