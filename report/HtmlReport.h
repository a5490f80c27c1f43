// One self-contained HTML page: the summary, a timeline of the sessions of each day coloured
// by outcome (each session's details on hover), and the table of sessions. No scripts and
// nothing fetched from elsewhere.
#pragma once

#include <string>
#include <vector>

#include "report/Session.h"
#include "report/Summary.h"

std::string HtmlPage(const Summary& summary, const std::vector<Session>& sessions);
