// One kiosk of a fleet: the figures of one folder of logs, for ranking the kiosks in most
// trouble and for the fleet's monitoring.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "report/ReadCounts.h"
#include "report/Summary.h"

// Upper bounds of the duration histogram, in seconds (the last bucket is +Inf).
constexpr std::array<long long, 10> kDurationBuckets = {1,   5,   10,   30,   60,
                                                        300, 900, 1800, 3600, 7200};

struct Kiosk {
    std::string folder;
    ReadCounts read;
    int sessions = 0;  // settled ones: the figures below are theirs
    int open = 0;      // sessions not settled yet
    UtcTime oldestOpenStart;
    OutcomeCounts byOutcome{};
    int unclean = 0;
    int trouble = 0;  // sessions not ended or closed, or not shut down cleanly
    UtcTime firstStart;
    UtcTime lastStart;
    std::array<int, kDurationBuckets.size()> durationsAtMost{};  // cumulative, as exposed
    long long durationSum = 0;
    std::int64_t countSince = 0;  // when the kept count began (seconds since 1970); 0: none kept

    double TroubleShare() const { return sessions > 0 ? double(trouble) / sessions : 0.0; }
};

// Adds one session to the kiosk's figures.
void AddSession(Kiosk& kiosk, const Session& session);

// The figures of a folder's sessions (those of the period only) and of its reading.
Kiosk KioskOf(const std::string& folder, const std::vector<Session>& sessions,
              const ReadCounts& read);

// Highest trouble share first, then most sessions, then by folder.
void SortWorstFirst(std::vector<Kiosk>& kiosks);

// How much of the front of every folder's text the kiosks share, up to a separator: tables
// may leave it off.
size_t CommonFolderPrefix(const std::vector<Kiosk>& kiosks);

constexpr char kKiosksCsvHeader[] =
    "folder,sessions,ended,no_reply,kiosk_gone,closed,not_found,send_failed,unknown,unclean,"
    "trouble_share,first_start_utc,last_start_utc";

// The header and a row per kiosk in the order given, each ended by CR LF.
std::string KiosksCsvText(const std::vector<Kiosk>& kiosks);
