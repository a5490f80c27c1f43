#include "tests/support/StrictLog.h"

#include <cctype>

namespace {

bool IsDigitRun(const std::string& text, size_t from, size_t count) {
    for (size_t i = from; i < from + count; ++i) {
        if (!std::isdigit(static_cast<unsigned char>(text[i]))) return false;
    }
    return true;
}

}  // namespace

bool IsWholeLogLine(const std::string& line) {
    // "yymmdd|hhmmss|ccc|" then the text; the terminator's "|" was taken off by the caller.
    return line.size() >= 18 && IsDigitRun(line, 0, 6) && line[6] == '|' &&
           IsDigitRun(line, 7, 6) && line[13] == '|' && IsDigitRun(line, 14, 3) &&
           line[17] == '|' && line.find_first_of("\r\n") == std::string::npos;
}

StrictLog ReadStrictLog(const std::string& bytes) {
    StrictLog log;
    size_t start = 0;
    while (start < bytes.size()) {
        const size_t end = bytes.find("\r\n", start);
        if (end == std::string::npos) {
            log.problem = "a fragment at the end: " + bytes.substr(start, 80);
            return log;
        }
        const std::string line = bytes.substr(start, end - start);
        if (line.empty() || line.back() != '|' ||
            !IsWholeLogLine(line.substr(0, line.size() - 1))) {
            log.problem = "not a whole line: " + line.substr(0, 80);
            return log;
        }
        log.lines.push_back(line.substr(0, line.size() - 1));
        start = end + 2;
    }
    return log;
}
