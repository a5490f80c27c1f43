#include "report/RunState.h"

void RunState::Take(const LogLineView& line) {
    const Message message = RecogniseMessage(line.code, line.text);
    if (empty) {
        empty = false;
        first = line.time;
        firstKind = message.kind;
    }
    last = line.time;
    lastKind = message.kind;
    if (!pageFound && message.kind == MessageKind::kCommandLinePair && message.key == "PageName") {
        page = message.value;
        pageFound = true;
    }
    if (IsIgnoredReceipt(message)) ++ignoredMessages;
    if (message.kind == MessageKind::kShuttingDown) shutDown = true;
    if (!cause) {
        cause = CauseOf(message.kind);
        wentOwnWay = cause == Outcome::kSendFailed;  // it goes straight out after a failed send
    } else if (message.kind == MessageKind::kShuttingDown) {
        wentOwnWay = true;
    }
}

void RunState::Continue(const RunState& later) {
    if (later.empty) return;
    if (empty) {
        *this = later;
        return;
    }
    last = later.last;
    lastKind = later.lastKind;
    if (!pageFound && later.pageFound) {
        page = later.page;
        pageFound = true;
    }
    ignoredMessages += later.ignoredMessages;
    if (cause) {
        wentOwnWay = wentOwnWay || later.shutDown;
    } else if (later.cause) {
        cause = later.cause;
        wentOwnWay = later.wentOwnWay;
    }
    shutDown = shutDown || later.shutDown;
}
