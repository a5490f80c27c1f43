// Self-contained HTML pages, no scripts and nothing fetched from elsewhere: one kiosk's page
// (the summary, a timeline of each day's sessions coloured by outcome with each session's
// details on hover, and the table of sessions) and a fleet's page, whose size does not grow
// with the sessions.
#pragma once

#include <string>
#include <vector>

#include "report/Kiosk.h"
#include "report/Session.h"
#include "report/Summary.h"

std::string HtmlPage(const Summary& summary, const std::vector<Session>& sessions);

// The summary, the kiosks worst first, sessions over time by outcome, and the newest of the
// sessions in trouble (troubleInAll of them in the period).
std::string FleetPage(const Summary& summary, const std::vector<Kiosk>& worstFirst,
                      const std::vector<Session>& troubleNewestFirst, int troubleInAll);

// How many rows the fleet's page shows at most of each table.
constexpr size_t kFleetKiosksShown = 50;
constexpr size_t kFleetTroubleShown = 500;
