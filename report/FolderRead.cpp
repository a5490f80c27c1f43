#include "report/FolderRead.h"

#include <algorithm>
#include <fstream>

#include "report/Runs.h"

namespace {

bool ReadBytes(const std::filesystem::path& path, std::string& bytes) {
    std::ifstream in(path, std::ios::binary | std::ios::ate);
    if (!in) return false;
    const std::streamoff size = in.tellg();
    if (size < 0) return false;
    bytes.resize(static_cast<size_t>(size));
    in.seekg(0);
    in.read(bytes.data(), size);
    bytes.resize(static_cast<size_t>(in.gcount()));  // a file cut short meanwhile
    return !in.bad();
}

}  // namespace

FolderRead ReadLogFolder(const LogFolder& folder, std::string& buffer) {
    FolderRead read;
    read.folder = folder.folder;
    std::vector<LogFileInput> files;
    files.reserve(folder.files.size());
    for (const std::filesystem::path& path : folder.files) {
        ++read.counts.files;
        if (!ReadBytes(path, buffer)) {
            ++read.counts.unreadableFiles;
            continue;
        }
        read.bytes += buffer.size();
        FileDigest digest = DigestLogFile(buffer);
        if (digest.state.empty) {
            ++read.counts.unreadableFiles;
            continue;
        }
        read.counts.unreadableLines += digest.unreadable;
        files.push_back({folder.folder, PathText(path.filename()), std::move(digest.state)});
    }
    for (const LogRun& run : JoinIntoRuns(std::move(files))) {
        read.sessions.push_back(SessionOf(run));
    }
    std::stable_sort(read.sessions.begin(), read.sessions.end(),
                     [](const Session& a, const Session& b) { return a.start < b.start; });
    return read;
}
