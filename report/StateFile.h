// The kept count on disk: taken by one run at a time, read whole or set aside when it cannot
// be trusted, and replaced whole, so a run killed at any moment leaves the old state or the new.
#pragma once

#include <chrono>
#include <string>

#include "report/CountState.h"

// Holds the lock file beside a state (STATE.lock) while it lives; the system lets it go when
// the run ends in any way.
class StateLock {
public:
    StateLock() = default;
    ~StateLock();
    StateLock(const StateLock&) = delete;
    StateLock& operator=(const StateLock&) = delete;

    // Waits at most wait for the runs that hold it. False when it stays held or cannot be
    // made; why then says which.
    bool Take(const std::string& statePath, std::chrono::milliseconds wait, std::string& why);

private:
#ifdef _WIN32
    void* handle = nullptr;
#else
    int descriptor = -1;
#endif
};

struct LoadedState {
    CountState state;
    bool found = false;  // a whole state was read: the count goes on
    std::string note;    // why a state file was set aside, for one line on standard error
};

// Reads the state at path. One that is damaged, cut short, empty or foreign is moved to
// path + ".damaged" and a new count begins.
LoadedState LoadState(const std::string& path);

// Writes the state beside path, to disk, and renames it over path. False, with why, when it
// could not; the old state is then left as it was.
bool SaveState(const std::string& path, const CountState& state, std::string& why);

// The size of the file at path, 0 when there is none.
std::uint64_t FileSize(const std::string& path);

// Where a run writes the JSON Lines it will append to path, before its state names them.
std::string PendingPath(const std::string& path);

// Appends from PendingPath(path) the bytes that pending says path does not hold yet, then
// removes that file: a run killed while it appended leaves its lines to the next, which
// finishes them, and no line is written twice. False, with why, when path cannot be written;
// lines that are gone are said in why, and the run goes on.
bool AppendPending(const std::string& path, const PendingLines& pending, std::string& why);
