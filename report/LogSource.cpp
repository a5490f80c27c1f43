#include "report/LogSource.h"

#include <algorithm>
#include <cctype>
#include <map>
#include <set>
#include <system_error>

namespace fs = std::filesystem;

namespace {

bool HasLogExtension(const fs::path& path) {
    std::string extension = PathText(path.extension());
    std::transform(extension.begin(), extension.end(), extension.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return extension == ".log";
}

// Where a path leads, links and "." or ".." resolved: the same folder named twice is one.
std::string Resolved(const fs::path& path) {
    std::error_code error;
    const fs::path resolved = fs::weakly_canonical(path, error);
    return PathText(error ? path.lexically_normal() : resolved);
}

// Depth first, in name order; only one folder's listing is held per level. Links to folders
// are not followed, so a loop of links cannot hold the walk, and a subfolder is where its
// parent leads. A folder walked before (with all below it) is not walked again.
// A folder whose listing fails or breaks off is named in unlisted; what it listed is read.
void Walk(const fs::path& path, const fs::path& resolved,
          const std::function<void(LogFolder&&)>& found, std::set<std::string>& walked,
          std::vector<std::string>& unlisted) {
    if (!walked.insert(PathText(resolved)).second) return;
    LogFolder folder{PathText(path), {}};
    std::vector<fs::path> subfolders;
    std::error_code error;
    for (fs::directory_iterator it(path, error), end; !error && it != end; it.increment(error)) {
        std::error_code entryError;
        if (it->is_symlink(entryError)) {
            if (it->is_regular_file(entryError) && HasLogExtension(it->path())) {
                folder.files.push_back(it->path());
            }
        } else if (it->is_directory(entryError)) {
            subfolders.push_back(it->path());
        } else if (it->is_regular_file(entryError) && HasLogExtension(it->path())) {
            folder.files.push_back(it->path());
        }
    }
    if (error) unlisted.push_back(PathText(path) + ": " + error.message());
    std::sort(folder.files.begin(), folder.files.end());
    std::sort(subfolders.begin(), subfolders.end());
    if (!folder.files.empty()) found(std::move(folder));
    for (const fs::path& subfolder : subfolders) {
        Walk(subfolder, resolved / subfolder.filename(), found, walked, unlisted);
    }
}

}  // namespace

std::string PathText(const fs::path& path) {
    try {
        const auto text = path.u8string();
        return std::string(text.begin(), text.end());
    } catch (...) {  // a name that is no text at all (a lone UTF-16 surrogate on Windows)
        return "\xEF\xBF\xBD";
    }
}

WalkTrouble WalkLogSources(const std::vector<std::string>& arguments,
                           const std::function<void(LogFolder&&)>& found) {
    WalkTrouble trouble;
    std::set<std::string> walked;  // folders, where they lead
    std::vector<fs::path> files;   // named one by one
    for (const std::string& argument : arguments) {
        std::error_code error;
        const fs::path path(argument);
        if (fs::is_directory(path, error)) {
            Walk(path, Resolved(path), found, walked, trouble.unlisted);
        } else if (fs::is_regular_file(path, error)) {
            files.push_back(path);
        } else {
            trouble.missing.push_back(argument);
        }
    }
    std::vector<LogFolder> named;  // files named one by one, by their folder
    std::set<std::string> namedFiles;
    for (const fs::path& path : files) {
        std::string parent = PathText(path.parent_path());
        if (parent.empty()) parent = ".";
        // Read already: named before, or a log file of a folder walked.
        if (!namedFiles.insert(Resolved(path)).second ||
            (HasLogExtension(path) && walked.count(Resolved(parent)) != 0)) {
            continue;
        }
        auto same = std::find_if(named.begin(), named.end(),
                                 [&](const LogFolder& f) { return f.folder == parent; });
        if (same == named.end()) same = named.insert(named.end(), LogFolder{parent, {}});
        same->files.push_back(path);
    }
    for (LogFolder& folder : named) found(std::move(folder));
    return trouble;
}
