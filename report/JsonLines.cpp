#include "report/JsonLines.h"

#include "report/Text.h"

namespace {

std::string JsonTime(const UtcTime& time) {
    std::string text = time.Text();
    text[10] = 'T';
    return "\"" + text + "Z\"";
}

}  // namespace

std::string JsonLine(const Session& s) {
    return "{\"folder\":" + JsonString(s.folder) + ",\"start_utc\":" + JsonTime(s.start) +
           ",\"end_utc\":" + JsonTime(s.end) +
           ",\"duration_s\":" + std::to_string(s.DurationSeconds()) +
           ",\"page\":" + JsonString(s.page) + ",\"outcome\":\"" + OutcomeName(s.outcome) +
           "\",\"exit_code\":" + (s.exitCode ? std::to_string(*s.exitCode) : "null") +
           ",\"clean_shutdown\":" + (s.cleanShutdown ? "true" : "false") +
           ",\"files\":" + std::to_string(s.files) +
           ",\"ignored_messages\":" + std::to_string(s.ignoredMessages) + "}\n";
}
