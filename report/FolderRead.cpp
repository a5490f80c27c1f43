#include "report/FolderRead.h"

#include <algorithm>

#include "report/LogDigest.h"
#include "report/Runs.h"
#include "report/Text.h"

FolderRead ReadLogFolder(const LogFolder& folder, std::string& buffer) {
    FolderRead read;
    read.folder = ValidUtf8(folder.folder);  // names of folders are bytes on some systems
    std::vector<LogFileInput> files;
    files.reserve(folder.names.size());
    for (size_t file = 0; file < folder.names.size(); ++file) {
        const std::filesystem::path path = folder.PathOf(file);
        ++read.counts.files;
        FileDigest digest;
        if (!DigestLogFileAt(path, buffer, digest, read.bytes)) {
            ++read.counts.unreadableFiles;
            continue;
        }
        if (digest.state.empty) {
            ++read.counts.unreadableFiles;
            continue;
        }
        read.counts.unreadableLines += digest.unreadable;
        files.push_back({read.folder, NameText(folder.names[file]), std::move(digest.state)});
    }
    for (const LogRun& run : JoinIntoRuns(std::move(files))) {
        read.sessions.push_back(SessionOf(run));
    }
    std::stable_sort(read.sessions.begin(), read.sessions.end(),
                     [](const Session& a, const Session& b) { return a.start < b.start; });
    return read;
}
