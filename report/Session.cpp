#include "report/Session.h"

#include "report/Message.h"

namespace {

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

}  // namespace

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

Session SessionOf(const LogRun& run) {
    Session session;
    session.folder = run.folder;
    session.files = run.files;
    if (run.lines.empty()) return session;
    session.start = run.lines.front().time;
    session.end = run.lines.back().time;
    bool hasCause = false;
    bool pageFound = false;
    bool wentOwnWay = false;
    for (const LogLine& line : run.lines) {
        const Message message = RecogniseMessage(line.code, line.text);
        if (!pageFound && message.kind == MessageKind::kCommandLinePair &&
            message.key == "PageName") {
            session.page = message.value;
            pageFound = true;
        }
        if (IsIgnoredReceipt(message)) ++session.ignoredMessages;
        if (!hasCause) {
            if (const auto cause = CauseOf(message.kind)) {
                session.outcome = *cause;
                hasCause = true;
                wentOwnWay = *cause == Outcome::kSendFailed;
            }
        } else if (message.kind == MessageKind::kShuttingDown) {
            wentOwnWay = true;
        }
    }
    if (hasCause && wentOwnWay) session.exitCode = session.outcome == Outcome::kNotFound ? 1 : 0;
    session.cleanShutdown = RecogniseMessage(run.lines.back().code, run.lines.back().text).kind ==
                            MessageKind::kClosing;
    return session;
}
