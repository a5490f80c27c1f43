#include "report/FolderTally.h"

#include <algorithm>
#include <fstream>
#include <limits>
#include <map>

#include "report/FileFacts.h"
#include "report/Runs.h"
#include "report/Text.h"

namespace {

// The bytes that tell a file from another: a log file's first line holds its start to the
// second and the program that wrote it.
constexpr std::uint64_t kHeadBytes = 256;

// One file of the folder as this run found it.
struct FileSeenNow {
    std::string name;
    bool isNew = false;    // never finished before: new, marked, or come in late
    FileMark mark;         // where its reading stops now
    FileDigest digest;     // all it gives, its last unfinished line too
    bool waiting = false;  // empty, or ending in an unfinished line: more may come
};

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
    if (!FeedLogFileFrom(path, offset, buffer, digester, bytes)) return false;
    file.mark.whole = digester.WholeLines();
    file.mark.offset = offset + digester.WholeLineBytes();
    file.mark.head = HeadHash(path, file.mark.offset);
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
    std::vector<std::string> names;
    names.reserve(folder.files.size());
    std::uint64_t others = 0, othersHash = 0;
    for (const std::filesystem::path& path : folder.files) {
        names.push_back(PathText(path.filename()));
        const std::string& name = names.back();
        if (!marked.count(name) && name <= count.lastName) {
            ++others;
            othersHash ^= TextHash(name);
        }
    }
    const bool doubt = others != count.others || othersHash != count.othersHash;

    std::vector<FileSeenNow> files;
    for (size_t i = 0; i < names.size(); ++i) {
        const std::filesystem::path& path = folder.files[i];
        const auto mark = marked.find(names[i]);
        const FileMark* from = mark != marked.end() ? mark->second : nullptr;
        const bool later = names[i] > count.lastName;
        std::optional<FileFacts> facts;
        if (fresh || readWhole || from || later || doubt) facts = FactsOf(path);
        if (!facts) {
            if (fresh || readWhole || from || later) ++tally.counts.unreadableFiles;
            continue;
        }
        FileSeenNow file;
        file.name = names[i];
        file.isNew = from || later || (doubt && facts->modified / 1000000000 > count.newestRead);
        file.mark.name = names[i];
        file.mark.size = facts->size;
        file.mark.modified = facts->modified;
        if (!fresh && !readWhole && !file.isNew) continue;  // finished and counted before
        ++tally.counts.files;
        if (!readWhole && from && from->size == facts->size && from->modified == facts->modified) {
            // Unchanged since the last run: taken as it was, without opening it.
            file.mark = *from;
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
    std::map<std::string, FileSeenNow*> byName;
    for (FileSeenNow& file : files) {
        byName[file.name] = &file;
        if (!file.digest.state.empty)
            inputs.push_back({count.counted.folder, file.name, file.digest.state});
    }
    const std::int64_t from = count.from;
    std::int64_t nextFrom = std::numeric_limits<std::int64_t>::max();
    std::int64_t newestStart = from;
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
            for (const std::string& name : run.fileNames) marks.push_back(byName[name]->mark);
            continue;
        }
        const FileSeenNow& first = *byName[run.fileNames.front()];
        const bool counted = !takenAsSeen && start >= from &&
                             !count.seen.count({first.digest.state.first.Seconds(), first.name});
        if (takenAsSeen || counted) tally.settled.push_back(session);
        if (counted) AddSession(count.counted, session);
        for (const std::string& name : run.fileNames) {
            FileSeenNow& file = *byName[name];
            count.seen.emplace(file.digest.state.first.Seconds(), file.name);
            finish(file, counted);
        }
    }
    for (FileSeenNow& file : files) {
        if (!file.digest.state.empty) continue;
        if (file.waiting) {
            marks.push_back(file.mark);
        } else {
            finish(file, !takenAsSeen && file.isNew);
        }
    }

    // Sessions that start before the oldest open one (or after the newest read, when none is
    // open) are all counted: their files need not be known any more.
    count.from = std::max(
        from, nextFrom != std::numeric_limits<std::int64_t>::max() ? nextFrom : newestStart + 1);
    count.seen.erase(count.seen.begin(), count.seen.lower_bound({count.from, std::string()}));
    count.marks = std::move(marks);
    count.others = 0;
    count.othersHash = 0;
    for (const std::string& name : names) {
        count.lastName = std::max(count.lastName, name);
        const bool isMarked = std::any_of(count.marks.begin(), count.marks.end(),
                                          [&](const FileMark& m) { return m.name == name; });
        if (!isMarked) {
            ++count.others;
            count.othersHash ^= TextHash(name);
        }
    }
    std::stable_sort(tally.sessions.begin(), tally.sessions.end(),
                     [](const Session& a, const Session& b) { return a.start < b.start; });
    return tally;
}
