#include "report/Session.h"

#include "report/Text.h"

Session SessionOf(const LogRun& run) {
    Session session;
    session.folder = run.folder;
    session.files = run.files;
    session.open = !run.settled;
    const RunState& state = run.state;
    if (state.empty) return session;
    session.start = state.first;
    session.end = state.last;
    session.page = AnsiToUtf8(state.page);
    session.ignoredMessages = state.ignoredMessages;
    if (state.cause) {
        session.outcome = *state.cause;
        if (state.wentOwnWay) session.exitCode = session.outcome == Outcome::kNotFound ? 1 : 0;
    }
    session.cleanShutdown = state.lastKind == MessageKind::kClosing;
    return session;
}
