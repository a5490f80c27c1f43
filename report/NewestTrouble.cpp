#include "report/NewestTrouble.h"

#include <algorithm>

void NewestTrouble::Offer(const Session& session) {
    kept.push({session, static_cast<size_t>(inAll)});
    ++inAll;
    if (kept.size() > keptAtMost) kept.pop();
}

std::vector<Session> NewestTrouble::NewestFirst() {
    std::vector<Session> sessions;
    for (; !kept.empty(); kept.pop()) sessions.push_back(kept.top().session);
    std::reverse(sessions.begin(), sessions.end());
    return sessions;
}
