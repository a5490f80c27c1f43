// The per-tick watch of a running session: the kiosk application is alive and has answered.
#pragma once

constexpr double kReplyTimeoutMs = 5000.0;

// Strict: reaching the limit exactly is not yet over.
inline bool HasRunOver(double nowMs, double sinceMs, double limitMs) {
    return nowMs - sinceMs > limitMs;
}

inline bool IsReplyOverdue(bool replyReceived, double nowMs, double startSentMs) {
    return !replyReceived && HasRunOver(nowMs, startSentMs, kReplyTimeoutMs);
}

// Runs on every timer tick: the liveness check first, then the reply watch; either posts the
// quit message with 0 when the session is over.
void SessionWatchTick();
