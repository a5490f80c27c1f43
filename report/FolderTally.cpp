#include "report/FolderTally.h"

#include <algorithm>
#include <fstream>
#include <limits>
#include <map>
#include <unordered_map>
#include <set>

#include "report/FileFacts.h"
#include "report/Runs.h"
#include "report/Text.h"

namespace {

// The bytes that tell a file from another: a log file's first line holds its start to the
// second and the program that wrote it.
constexpr std::uint64_t kHeadBytes = 256;

// One file of the folder as this run found it.
struct FileSeenNow {
    size_t index = 0;       // in the folder's listing
    bool isNew = false;     // never finished before: new, marked, or come in late
    FileMark mark;          // where its reading stops now (its digest only where it has a tail)
    FileDigest digest;      // all it gives, its last unfinished line too
    bool waiting = false;   // empty, or ending in an unfinished line: more may come
    bool asMarked = false;  // taken from its mark, unchanged

    // Where its reading stops, to go on from in the next run.
    FileMark Mark(const LogFolder& folder) const {
        FileMark done = mark;
        if (asMarked) return done;
        if (!waiting) done.whole = digest;  // no tail: the whole lines give it all
        if (const auto facts = FactsOf(folder.PathOf(index))) done.modified = facts->modified;
        return done;
    }
};

// The order in which the session handler makes its files: its names end in the start,
// " DD-MM-YYYY HH-MM-SS-TTTT.log", which is put first, so that a new file comes after every
// older one; other names come before all of its, in their own order.
std::string OrderKey(const std::string& name) {
    constexpr size_t kStamp = 24;  // "DD-MM-YYYY HH-MM-SS-TTTT"
    constexpr char kShape[] = "00-00-0000 00-00-00-0000";
    const size_t at = name.size() >= kStamp + 5 ? name.size() - kStamp - 4 : 0;
    bool ours = at > 0 && name[at - 1] == ' ';
    for (size_t i = 0; ours && i < kStamp; ++i) {
        const char c = name[at + i];
        ours = kShape[i] == '0' ? c >= '0' && c <= '9' : c == kShape[i];
    }
    if (!ours) return "0" + name;
    const std::string_view stamp(name.data() + at, kStamp);
    return "1" + std::string(stamp.substr(6, 4)) + std::string(stamp.substr(3, 2)) +
           std::string(stamp.substr(0, 2)) + std::string(stamp.substr(11, 2)) +
           std::string(stamp.substr(14, 2)) + std::string(stamp.substr(17, 2)) +
           std::string(stamp.substr(20, 4)) + name;
}

std::uint64_t HeadHash(const std::filesystem::path& path, std::uint64_t offset) {
    std::ifstream in(path, std::ios::binary);
    std::string head(static_cast<size_t>(std::min(offset, kHeadBytes)), '\0');
    in.read(head.data(), static_cast<std::streamsize>(head.size()));
    head.resize(static_cast<size_t>(in.gcount()));
    return TextHash(head);
}

// Reads the file from where its mark stopped (from its start without one). False when it
// cannot be read.
bool ReadOn(const std::filesystem::path& path, const FileMark* from, FileSeenNow& file,
            std::string& buffer, std::uint64_t& bytes) {
    LogDigester digester = from ? LogDigester(from->whole) : LogDigester();
    const std::uint64_t offset = from ? from->offset : 0;
    std::string head;
    std::uint64_t fed = 0;
    if (!FeedLogFileFrom(path, offset, buffer, digester, fed, from ? nullptr : &head, kHeadBytes)) {
        return false;
    }
    bytes += fed;
    // Its size as read: bytes written after the reading make it another size next time.
    file.mark.size = offset + fed;
    file.mark.offset = offset + digester.WholeLineBytes();
    if (file.mark.offset < file.mark.size) file.mark.whole = digester.WholeLines();
    if (!from) {  // its first bytes were read just now
        head.resize(static_cast<size_t>(std::min<std::uint64_t>(head.size(), file.mark.offset)));
        file.mark.head = TextHash(head);
    } else {
        file.mark.head = from->offset >= kHeadBytes ? from->head : HeadHash(path, file.mark.offset);
    }
    file.digest = digester.Finish();
    file.waiting = file.mark.size == 0 || file.mark.offset < file.mark.size;
    return true;
}

}  // namespace

FolderRead TallyFolder(const LogFolder& folder, const FolderCount* prior, bool newState,
                       bool readWhole, std::int64_t now, std::string& buffer) {
    FolderRead tally;
    const bool fresh = prior == nullptr;
    const bool takenAsSeen = fresh && newState;  // settled before the count began
    FolderCount& count = tally.count.emplace();
    if (prior) count = *prior;
    tally.folder = count.counted.folder = ValidUtf8(folder.folder);
    if (fresh) {
        count.counted.countSince = now;
        count.from = std::numeric_limits<std::int64_t>::min();
    }
    std::map<std::string, const FileMark*> marked;
    if (prior) {
        for (const FileMark& m : prior->marks) marked.emplace(m.name, &m);
    }

    // The files not marked that were there last time: if their names are the same, none of
    // them changed in a way that matters (log files only grow while they are marked).
#ifdef _WIN32
    std::vector<std::string> names;
    for (const auto& name : folder.names) names.push_back(NameText(name));
#else
    const std::vector<std::string>& names = folder.names;  // the system's bytes already
#endif
    std::vector<std::string> keys;
    std::vector<std::uint64_t> hashes;
    keys.reserve(names.size());
    hashes.reserve(names.size());
    std::uint64_t others = 0, othersHash = 0;
    for (const std::string& name : names) {
        keys.push_back(OrderKey(name));
        hashes.push_back(TextHash(name));
        if (keys.back() <= count.lastName && marked.count(name) == 0) {
            ++others;
            othersHash ^= hashes.back();
        }
    }
    const bool doubt = others != count.others || othersHash != count.othersHash;

    std::vector<FileSeenNow> files;
    for (size_t i = 0; i < names.size(); ++i) {
        const auto mark = marked.find(names[i]);
        const FileMark* from = mark != marked.end() ? mark->second : nullptr;
        const bool later = keys[i] > count.lastName;
        if (!(fresh || readWhole || from || later || doubt)) continue;  // finished before
        const std::filesystem::path path = folder.PathOf(i);
        // Asked only of marked files, and of the rest when names came or went.
        std::optional<FileFacts> facts;
        if (from || (doubt && !later)) {
            facts = FactsOf(path);
            if (!facts) {
                if (from) ++tally.counts.unreadableFiles;
                continue;
            }
        }
        FileSeenNow file;
        file.index = i;
        file.isNew = from || later || (facts && facts->modified / 1000000000 > count.newestRead);
        file.mark.name = names[i];
        if (!fresh && !readWhole && !file.isNew) continue;  // finished and counted before
        ++tally.counts.files;
        if (!readWhole && from && from->size == facts->size && from->modified == facts->modified) {
            // Unchanged since the last run: taken as it was, without opening it.
            file.mark = *from;
            file.asMarked = true;
            file.digest = from->whole;
            file.waiting = from->size == 0 || from->offset < from->size;
            files.push_back(std::move(file));
            continue;
        }
        const bool goesOn = from && !readWhole && facts->size >= from->offset &&
                            HeadHash(path, from->offset) == from->head;
        ++tally.filesOpened;
        if (!ReadOn(path, goesOn ? from : nullptr, file, buffer, tally.bytes)) {
            ++tally.counts.unreadableFiles;
            continue;
        }
        files.push_back(std::move(file));
    }

    std::vector<LogFileInput> inputs;
    std::unordered_map<std::string_view, FileSeenNow*> byName;
    for (FileSeenNow& file : files) {
        byName[file.mark.name] = &file;
        if (!file.digest.state.empty) {
            inputs.push_back({count.counted.folder, file.mark.name, file.digest.state});
        }
    }
    const std::int64_t from = count.from;
    std::int64_t nextFrom = std::numeric_limits<std::int64_t>::max();
    std::int64_t newestStart = std::numeric_limits<std::int64_t>::min();  // of the runs read
    std::vector<FileMark> marks;
    // A file is finished once it can change nothing more: its figures count then, once.
    const auto finish = [&](FileSeenNow& file, bool counts) {
        count.newestRead = std::max(count.newestRead, file.digest.state.last.Seconds());
        tally.counts.unreadableLines += file.digest.unreadable;
        if (file.digest.state.empty) ++tally.counts.unreadableFiles;
        if (!counts) return;
        ++count.counted.read.files;
        count.counted.read.unreadableLines += file.digest.unreadable;
        if (file.digest.state.empty) ++count.counted.read.unreadableFiles;
    };
    for (const LogRun& run : JoinIntoRuns(std::move(inputs))) {
        Session session = SessionOf(run);
        tally.sessions.push_back(session);
        const std::int64_t start = session.start.Seconds();
        newestStart = std::max(newestStart, start);
        if (!run.settled) {
            nextFrom = std::min(nextFrom, start);
            for (const std::string& name : run.fileNames)
                marks.push_back(byName[name]->Mark(folder));
            continue;
        }
        const FileSeenNow& first = *byName[run.fileNames.front()];
        const bool counted =
            !takenAsSeen && start >= from &&
            !count.seen.count({first.digest.state.first.Seconds(), first.mark.name});
        if (takenAsSeen || counted) tally.settled.push_back(session);
        if (counted) AddSession(count.counted, session);
        for (const std::string& name : run.fileNames) {
            FileSeenNow& file = *byName[name];
            count.seen.emplace(file.digest.state.first.Seconds(), file.mark.name);
            finish(file, counted);
        }
    }
    for (FileSeenNow& file : files) {
        if (!file.digest.state.empty) continue;
        if (file.waiting) {
            marks.push_back(file.Mark(folder));
        } else {
            finish(file, !takenAsSeen && file.isNew);
        }
    }

    // Sessions that start before the oldest open one (or up to the newest read, when none is
    // open) are all counted: their files need not be known any more.
    const bool anyOpen = nextFrom != std::numeric_limits<std::int64_t>::max();
    const bool anyRead = newestStart != std::numeric_limits<std::int64_t>::min();
    count.from = std::max(from, anyOpen ? nextFrom : anyRead ? newestStart + 1 : from);
    count.seen.erase(count.seen.begin(), count.seen.lower_bound({count.from, std::string()}));
    count.marks = std::move(marks);
    count.others = 0;
    count.othersHash = 0;
    std::set<std::string> markedNow;
    for (const FileMark& m : count.marks) markedNow.insert(m.name);
    for (size_t i = 0; i < names.size(); ++i) {
        if (count.lastName < keys[i]) count.lastName = keys[i];
        if (markedNow.count(names[i]) == 0) {
            ++count.others;
            count.othersHash ^= hashes[i];
        }
    }
    std::stable_sort(tally.sessions.begin(), tally.sessions.end(),
                     [](const Session& a, const Session& b) { return a.start < b.start; });
    return tally;
}
