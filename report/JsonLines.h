// One JSON object a line per session, for log pipelines: the CSV's fields with their types.
#pragma once

#include <string>

#include "report/Session.h"

// {"folder":…,"start_utc":"2026-12-08T13:22:21Z",…} and a line feed; an unknown exit code is
// null, clean_shutdown a boolean, the text UTF-8.
std::string JsonLine(const Session& session);
