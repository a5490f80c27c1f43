// How a session ended, as the report names it: the first cause its log shows.
#pragma once

#include <optional>

#include "report/Message.h"

enum class Outcome { kEnded, kNoReply, kKioskGone, kClosed, kNotFound, kSendFailed, kUnknown };
constexpr int kOutcomeCount = 7;

const char* OutcomeName(Outcome outcome);  // "ended", "no-reply", ... as the CSV writes them

// The outcome a line of this kind decides, if it is a cause at all.
std::optional<Outcome> CauseOf(MessageKind kind);
