#include "report/PromMetrics.h"

#include "report/Text.h"

namespace {

std::string LabelValue(const std::string& text) {
    std::string out;
    for (const char c : ValidUtf8(text)) {
        if (c == '\\' || c == '"') out.push_back('\\');
        if (c == '\n') {
            out += "\\n";
        } else {
            out.push_back(c);
        }
    }
    return out;
}

// A metric family: its help and type, then a sample per kiosk from the given function.
template <typename Samples>
void Family(std::string& text, const char* name, const char* type, const char* help,
            const std::vector<Kiosk>& kiosks, Samples&& samples) {
    text += std::string("# HELP ") + name + " " + help + "\n# TYPE " + name + " " + type + "\n";
    for (const Kiosk& kiosk : kiosks) {
        samples(kiosk, "folder=\"" + LabelValue(kiosk.folder) + "\"");
    }
}

}  // namespace

std::string PromText(const std::vector<Kiosk>& kiosks) {
    std::string text;
    auto sample = [&text](const std::string& name, const std::string& labels, long long value) {
        text += name + "{" + labels + "} " + std::to_string(value) + "\n";
    };
    Family(text, "vistalyne_sessions_total", "counter",
           "Settled sessions counted, by the outcome the log shows.", kiosks,
           [&](const Kiosk& k, const std::string& folder) {
               for (int i = 0; i < kOutcomeCount; ++i) {
                   sample("vistalyne_sessions_total",
                          folder + ",outcome=\"" + OutcomeName(static_cast<Outcome>(i)) + "\"",
                          k.byOutcome[static_cast<size_t>(i)]);
               }
           });
    Family(text, "vistalyne_unclean_shutdowns_total", "counter",
           "Sessions whose log was not closed by the program's own shut-down.", kiosks,
           [&](const Kiosk& k, const std::string& folder) {
               sample("vistalyne_unclean_shutdowns_total", folder, k.unclean);
           });
    Family(text, "vistalyne_session_duration_seconds", "histogram",
           "How long sessions lasted, from their first log line to their last.", kiosks,
           [&](const Kiosk& k, const std::string& folder) {
               for (size_t i = 0; i < kDurationBuckets.size(); ++i) {
                   sample("vistalyne_session_duration_seconds_bucket",
                          folder + ",le=\"" + std::to_string(kDurationBuckets[i]) + "\"",
                          k.durationsAtMost[i]);
               }
               sample("vistalyne_session_duration_seconds_bucket", folder + ",le=\"+Inf\"",
                      k.sessions);
               sample("vistalyne_session_duration_seconds_sum", folder, k.durationSum);
               sample("vistalyne_session_duration_seconds_count", folder, k.sessions);
           });
    Family(text, "vistalyne_last_session_start_timestamp_seconds", "gauge",
           "When the kiosk's last session started, in seconds since 1970 (UTC).", kiosks,
           [&](const Kiosk& k, const std::string& folder) {
               if (k.sessions > 0) {
                   sample("vistalyne_last_session_start_timestamp_seconds", folder,
                          k.lastStart.Seconds());
               }
           });
    Family(text, "vistalyne_sessions_open", "gauge",
           "Sessions whose log is not settled yet: in progress, or cut short without a later "
           "run to show it.",
           kiosks, [&](const Kiosk& k, const std::string& folder) {
               sample("vistalyne_sessions_open", folder, k.open);
           });
    Family(text, "vistalyne_oldest_open_session_start_timestamp_seconds", "gauge",
           "When the oldest session still open started, in seconds since 1970 (UTC).", kiosks,
           [&](const Kiosk& k, const std::string& folder) {
               if (k.open > 0) {
                   sample("vistalyne_oldest_open_session_start_timestamp_seconds", folder,
                          k.oldestOpenStart.Seconds());
               }
           });
    Family(text, "vistalyne_count_start_timestamp_seconds", "gauge",
           "When the kept count began, in seconds since 1970 (UTC): every counter started at "
           "zero then.",
           kiosks, [&](const Kiosk& k, const std::string& folder) {
               if (k.countSince != 0) {
                   sample("vistalyne_count_start_timestamp_seconds", folder, k.countSince);
               }
           });
    Family(text, "vistalyne_log_files_read_total", "counter", "Log files read.", kiosks,
           [&](const Kiosk& k, const std::string& folder) {
               sample("vistalyne_log_files_read_total", folder, k.read.files);
           });
    Family(text, "vistalyne_log_files_unreadable_total", "counter",
           "Log files that could not be read: empty, or not a session log.", kiosks,
           [&](const Kiosk& k, const std::string& folder) {
               sample("vistalyne_log_files_unreadable_total", folder, k.read.unreadableFiles);
           });
    Family(text, "vistalyne_log_lines_unreadable_total", "counter",
           "Log lines that could not be read: torn, garbled or cut short.", kiosks,
           [&](const Kiosk& k, const std::string& folder) {
               sample("vistalyne_log_lines_unreadable_total", folder, k.read.unreadableLines);
           });
    return text;
}
