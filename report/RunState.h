// What a stretch of one run's log lines says, taken in line by line without keeping the lines:
// enough to join a run's files and to tell its session.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "report/LogLine.h"
#include "report/Outcome.h"

struct RunState {
    bool empty = true;
    UtcTime first;  // the first and the last line's times and kinds
    UtcTime last;
    MessageKind firstKind = MessageKind::kOther;
    MessageKind lastKind = MessageKind::kOther;
    std::string page;  // the first value logged for PageName
    bool pageFound = false;
    int ignoredMessages = 0;
    std::optional<Outcome> cause;  // the first cause logged
    bool wentOwnWay = false;       // the program's own way out after that cause
    bool shutDown = false;         // a shut-down line anywhere, for a cause in an earlier file

    void Take(const LogLineView& line);
    // Goes on with the lines of a later file of the same run: the same as taking them here.
    void Continue(const RunState& later);
};
