#include "report/CountState.h"

#include <cerrno>
#include <cstdlib>

namespace {

constexpr char kHeader[] = "vistalyne-log-report-state 1\n";
constexpr char kSeal[] = "end ";
constexpr char kDigits[] = "0123456789abcdef";

// Names and pages are anybody's bytes: kept as hex, "-" when empty.
std::string Hex(std::string_view bytes) {
    if (bytes.empty()) return "-";
    std::string out;
    out.reserve(bytes.size() * 2);
    for (const unsigned char c : bytes) {
        out.push_back(kDigits[c >> 4]);
        out.push_back(kDigits[c & 15]);
    }
    return out;
}

// The words of one line, read in turn; any that is missing or malformed fails the whole line.
class Words {
public:
    explicit Words(std::string_view line) : rest(line) {}

    std::string_view Next() {
        const size_t space = rest.find(' ');
        const std::string_view word = rest.substr(0, space);
        rest = space == std::string_view::npos ? std::string_view() : rest.substr(space + 1);
        if (word.empty()) ok = false;
        return word;
    }
    std::int64_t Number() {
        const std::string word(Next());
        char* end = nullptr;
        errno = 0;
        const long long value = std::strtoll(word.c_str(), &end, 10);
        if (word.empty() || *end != '\0' || errno != 0) ok = false;
        return value;
    }
    std::uint64_t Unsigned(int base = 10) {
        const std::string word(Next());
        char* end = nullptr;
        errno = 0;
        const unsigned long long value = std::strtoull(word.c_str(), &end, base);
        if (word.empty() || word[0] == '-' || *end != '\0' || errno != 0) ok = false;
        return value;
    }
    int Small(int below) {
        const std::int64_t value = Number();
        if (value < 0 || value >= below) ok = false;
        return static_cast<int>(value);
    }
    bool Flag() { return Small(2) == 1; }
    std::string Bytes() {
        const std::string_view word = Next();
        if (word == "-") return "";
        std::string out;
        if (word.size() % 2 != 0) ok = false;
        for (size_t i = 0; ok && i + 1 < word.size(); i += 2) {
            const auto high = std::string_view(kDigits).find(word[i]);
            const auto low = std::string_view(kDigits).find(word[i + 1]);
            if (high == std::string_view::npos || low == std::string_view::npos) ok = false;
            out.push_back(static_cast<char>(high * 16 + low));
        }
        return out;
    }
    bool Done() const { return ok && rest.empty(); }

private:
    std::string_view rest;
    bool ok = true;
};

constexpr int kMessageKinds = static_cast<int>(MessageKind::kShuttingDown) + 1;

void PutDigest(std::string& text, const FileDigest& d) {
    const RunState& s = d.state;
    text += " " + std::to_string(d.unreadable) + " " + std::to_string(s.empty) + " " +
            std::to_string(s.first.Seconds()) + " " + std::to_string(s.last.Seconds()) + " " +
            std::to_string(static_cast<int>(s.firstKind)) + " " +
            std::to_string(static_cast<int>(s.lastKind)) + " " + Hex(s.page) + " " +
            std::to_string(s.pageFound) + " " + std::to_string(s.ignoredMessages) + " " +
            std::to_string(s.cause ? static_cast<int>(*s.cause) + 1 : 0) + " " +
            std::to_string(s.wentOwnWay) + " " + std::to_string(s.shutDown);
}

FileDigest TakeDigest(Words& words) {
    FileDigest d;
    RunState& s = d.state;
    d.unreadable = static_cast<int>(words.Small(1 << 30));
    s.empty = words.Flag();
    s.first = UtcTime::FromSeconds(words.Number());
    s.last = UtcTime::FromSeconds(words.Number());
    s.firstKind = static_cast<MessageKind>(words.Small(kMessageKinds));
    s.lastKind = static_cast<MessageKind>(words.Small(kMessageKinds));
    s.page = words.Bytes();
    s.pageFound = words.Flag();
    s.ignoredMessages = words.Small(1 << 30);
    const int cause = words.Small(kOutcomeCount + 1) - 1;
    if (cause >= 0) s.cause = static_cast<Outcome>(cause);
    s.wentOwnWay = words.Flag();
    s.shutDown = words.Flag();
    return d;
}

void PutCounts(std::string& text, const Kiosk& k) {
    text += "counts " + std::to_string(k.sessions);
    for (const int n : k.byOutcome) text += " " + std::to_string(n);
    text += " " + std::to_string(k.unclean) + " " + std::to_string(k.trouble) + " " +
            std::to_string(k.firstStart.Seconds()) + " " + std::to_string(k.lastStart.Seconds());
    for (const int n : k.durationsAtMost) text += " " + std::to_string(n);
    text += " " + std::to_string(k.durationSum) + " " + std::to_string(k.read.files) + " " +
            std::to_string(k.read.unreadableFiles) + " " + std::to_string(k.read.unreadableLines) +
            "\n";
}

void TakeCounts(Words& words, Kiosk& k) {
    constexpr int kCountAtMost = 1 << 30;
    k.sessions = words.Small(kCountAtMost);
    for (int& n : k.byOutcome) n = words.Small(kCountAtMost);
    k.unclean = words.Small(kCountAtMost);
    k.trouble = words.Small(kCountAtMost);
    k.firstStart = UtcTime::FromSeconds(words.Number());
    k.lastStart = UtcTime::FromSeconds(words.Number());
    for (int& n : k.durationsAtMost) n = words.Small(kCountAtMost);
    k.durationSum = words.Number();
    k.read.files = words.Small(kCountAtMost);
    k.read.unreadableFiles = words.Small(kCountAtMost);
    k.read.unreadableLines = words.Small(kCountAtMost);
}

}  // namespace

std::uint64_t TextHash(std::string_view text, std::uint64_t hash) {
    for (const unsigned char c : text) {
        hash ^= c;
        hash *= 1099511628211ull;
    }
    return hash;
}

std::string CountStateText(const CountState& state) {
    std::string text = kHeader;
    for (const auto& entry : state.folders) {
        const FolderCount& f = entry.second;
        text += "folder " + Hex(entry.first) + " " + std::to_string(f.counted.countSince) + " " +
                std::to_string(f.from) + " " + std::to_string(f.newestRead) + " " +
                Hex(f.lastName) + " " + std::to_string(f.others) + " " +
                std::to_string(f.othersHash) + "\n";
        PutCounts(text, f.counted);
        for (const SeenFile& seen : f.seen) {
            text += "seen " + std::to_string(seen.first) + " " + Hex(seen.second) + "\n";
        }
        for (const FileMark& m : f.marks) {
            text += "mark " + Hex(m.name) + " " + std::to_string(m.size) + " " +
                    std::to_string(m.modified) + " " + std::to_string(m.offset) + " " +
                    std::to_string(m.head);
            PutDigest(text, m.whole);
            text += "\n";
        }
    }
    if (state.pending) {
        text += "pending " + std::to_string(state.pending->before) + " " +
                std::to_string(state.pending->length) + "\n";
    }
    char seal[17];
    const std::uint64_t hash = TextHash(text);
    for (int i = 0; i < 16; ++i) seal[i] = kDigits[(hash >> (60 - 4 * i)) & 15];
    seal[16] = '\0';
    return text + kSeal + seal + "\n";
}

std::optional<CountState> ParseCountState(std::string_view text, std::string& why) {
    if (text.empty()) {
        why = "empty";
        return std::nullopt;
    }
    if (text.substr(0, sizeof(kHeader) - 1) != kHeader) {
        why = "not a state of this report";
        return std::nullopt;
    }
    const size_t sealAt = text.rfind(std::string("\n") + kSeal);
    if (sealAt == std::string_view::npos || text.back() != '\n') {
        why = "cut short";
        return std::nullopt;
    }
    Words sealWords(text.substr(sealAt + 1 + 4, text.size() - sealAt - 6));
    if (sealWords.Unsigned(16) != TextHash(text.substr(0, sealAt + 1)) || !sealWords.Done()) {
        why = "damaged: its contents do not match their seal";
        return std::nullopt;
    }
    CountState state;
    FolderCount* folder = nullptr;
    size_t at = sizeof(kHeader) - 1;
    while (at <= sealAt) {
        const size_t end = text.find('\n', at);
        const std::string_view line = text.substr(at, end - at);
        at = end + 1;
        Words words(line);
        const std::string_view kind = words.Next();
        if (kind == "folder") {
            const std::string label = words.Bytes();
            folder = &state.folders[label];
            folder->counted.folder = label;
            folder->counted.countSince = words.Number();
            folder->from = words.Number();
            folder->newestRead = words.Number();
            folder->lastName = words.Bytes();
            folder->others = words.Unsigned();
            folder->othersHash = words.Unsigned();
        } else if (kind == "counts" && folder != nullptr) {
            TakeCounts(words, folder->counted);
        } else if (kind == "seen" && folder != nullptr) {
            const std::int64_t first = words.Number();
            folder->seen.emplace(first, words.Bytes());
        } else if (kind == "mark" && folder != nullptr) {
            FileMark m;
            m.name = words.Bytes();
            m.size = words.Unsigned();
            m.modified = words.Number();
            m.offset = words.Unsigned();
            m.head = words.Unsigned();
            m.whole = TakeDigest(words);
            folder->marks.push_back(std::move(m));
        } else if (kind == "pending") {
            state.pending = PendingLines{words.Unsigned(), words.Unsigned()};
        } else {
            why = "damaged: line " + std::string(line.substr(0, 40));
            return std::nullopt;
        }
        if (!words.Done()) {
            why = "damaged: line " + std::string(line.substr(0, 40));
            return std::nullopt;
        }
    }
    return state;
}
