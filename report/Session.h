// What a run of the session handler says about its session: the row of the report.
#pragma once

#include <optional>
#include <string>

#include "report/LogLine.h"
#include "report/Outcome.h"
#include "report/Runs.h"

// Its text is UTF-8, cleaned once here, so that every output shows the same thing.
struct Session {
    std::string folder;  // valid UTF-8
    UtcTime start;
    UtcTime end;
    std::string page;  // the value logged for PageName, in UTF-8; empty when absent
    Outcome outcome = Outcome::kUnknown;
    std::optional<int> exitCode;  // only where the log shows what the program returned
    bool cleanShutdown = false;
    int files = 0;
    int ignoredMessages = 0;
    // Not settled yet: its run may still be going on, so its outcome is not final. It is shown
    // as in progress and counted nowhere else.
    bool open = false;

    long long DurationSeconds() const { return end.Seconds() - start.Seconds(); }
    // Not ended by the kiosk or closed, or not shut down cleanly.
    bool InTrouble() const {
        return (outcome != Outcome::kEnded && outcome != Outcome::kClosed) || !cleanShutdown;
    }
};

// The first cause logged decides the outcome. The exit code shows when the program went its
// own way out after that cause: through its shut-down line, or straight out after a failed
// send; a run cut short or ended by another program's quit message leaves it unknown.
Session SessionOf(const LogRun& run);
