// The newest sessions in trouble, at most a page's worth, gathered as the sessions go by in
// any order: what the fleet's page lists.
#pragma once

#include <cstddef>
#include <queue>
#include <vector>

#include "report/Session.h"

class NewestTrouble {
public:
    explicit NewestTrouble(size_t kept) : keptAtMost(kept) {}
    void Offer(const Session& session);
    // The kept sessions, newest first; of sessions that started in the same second, the one
    // offered first comes first. Empties what it kept.
    std::vector<Session> NewestFirst();
    int InAll() const { return inAll; }

private:
    struct Offered {
        Session session;
        size_t order;
    };
    struct Newer {  // the oldest on top; of one second, the one offered last
        bool operator()(const Offered& a, const Offered& b) const {
            return b.session.start < a.session.start ||
                   (!(a.session.start < b.session.start) && a.order < b.order);
        }
    };
    size_t keptAtMost;
    int inAll = 0;
    std::priority_queue<Offered, std::vector<Offered>, Newer> kept;
};
