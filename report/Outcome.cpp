#include "report/Outcome.h"

std::optional<Outcome> CauseOf(MessageKind kind) {
    switch (kind) {
        case MessageKind::kSessionEnd:
            return Outcome::kEnded;
        case MessageKind::kNoReply:
            return Outcome::kNoReply;
        case MessageKind::kKioskGone:
            return Outcome::kKioskGone;
        case MessageKind::kDestroyed:
            return Outcome::kClosed;
        case MessageKind::kNotFound:
            return Outcome::kNotFound;
        case MessageKind::kSendFailed:
            return Outcome::kSendFailed;
        default:
            return std::nullopt;
    }
}

const char* OutcomeName(Outcome outcome) {
    switch (outcome) {
        case Outcome::kEnded:
            return "ended";
        case Outcome::kNoReply:
            return "no-reply";
        case Outcome::kKioskGone:
            return "kiosk-gone";
        case Outcome::kClosed:
            return "closed";
        case Outcome::kNotFound:
            return "not-found";
        case Outcome::kSendFailed:
            return "send-failed";
        case Outcome::kUnknown:
            break;
    }
    return "unknown";
}
