// The count the report keeps between runs: what it has counted in each kiosk's folder, and
// where its reading stopped, so that counters never go down and a run reads only what is
// new. It grows with the kiosks and the sessions still open, not with the history.
#pragma once

#include <cstdint>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "report/Kiosk.h"
#include "report/LogDigest.h"

// A file whose reading may go on: still being written, or of a session not settled yet.
struct FileMark {
    std::string name;
    std::uint64_t size = 0;
    std::int64_t modified = 0;  // nanoseconds since 1970
    std::uint64_t offset = 0;   // the bytes of the whole lines taken
    std::uint64_t head = 0;     // hash of its first bytes: still the same file
    FileDigest whole;           // what those lines give
};

// A file of a settled session: its first line's second and its name.
using SeenFile = std::pair<std::int64_t, std::string>;

struct FolderCount {
    Kiosk counted;  // its label and the figures counted since counted.countSince
    // Every session that started before this second was counted or taken as seen; the files
    // of the settled ones that started at or after it are in seen.
    std::int64_t from = 0;
    // The newest last line of a file read to its end: when names came or went, a file not
    // marked is read again only if it was changed after it.
    std::int64_t newestRead = 0;
    // The files not marked: the last in the order the session handler makes them (as
    // OrderKey gives it), how many, and a hash of their names; the same three tell that none
    // came or went, and a file after the last is new.
    std::string lastName;
    std::uint64_t others = 0;
    std::uint64_t othersHash = 0;
    std::set<SeenFile> seen;
    std::vector<FileMark> marks;
};

// JSON Lines the last run appends: what the file held before, and how many bytes they are
// (kept beside it, in FILE.pending, until they are all in).
struct PendingLines {
    std::uint64_t before = 0;
    std::uint64_t length = 0;
};

struct CountState {
    std::map<std::string, FolderCount> folders;  // by label
    std::optional<PendingLines> pending;
};

// The state as text, sealed with a hash of itself.
std::string CountStateText(const CountState& state);

// The state the text holds; nothing, with the reason in why, when it is damaged, cut short,
// empty or not a state of this report.
std::optional<CountState> ParseCountState(std::string_view text, std::string& why);

// A 64-bit FNV-1a hash, for names and the state's seal.
std::uint64_t TextHash(std::string_view text, std::uint64_t hash = 14695981039346656037ull);
