// The metrics of a fleet's kiosks in the Prometheus text format, for a textfile collector:
// one folder label, never the page (its values are anybody's).
#pragma once

#include <string>
#include <vector>

#include "report/Kiosk.h"

std::string PromText(const std::vector<Kiosk>& kiosks);
