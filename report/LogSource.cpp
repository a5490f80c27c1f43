#include "report/LogSource.h"

#include <algorithm>
#include <map>
#include <set>
#include <system_error>

namespace fs = std::filesystem;

namespace {

// Read on the path's own characters: a fleet's walk asks it of every file.
bool HasLogExtension(const fs::path& path) {
    const fs::path::string_type& text = path.native();
    if (text.size() < 5) return false;
    const auto separator = text[text.size() - 5];
    if (separator == '/' || separator == fs::path::preferred_separator) return false;  // ".log"
    const auto lower = [](auto c) { return c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c; };
    return text[text.size() - 4] == '.' && lower(text[text.size() - 3]) == 'l' &&
           lower(text[text.size() - 2]) == 'o' && lower(text[text.size() - 1]) == 'g';
}

// Paths of one folder, in the order of their names; compared as whole strings, which is that
// order without taking each path apart.
void SortByName(std::vector<fs::path>& paths) {
    std::sort(paths.begin(), paths.end(),
              [](const fs::path& a, const fs::path& b) { return a.native() < b.native(); });
}

// The last part of a path listed in a folder, as its characters stand.
fs::path::string_type NameOf(const fs::path& listed) {
    const fs::path::string_type& text = listed.native();
    size_t at = text.size();
    while (at > 0 && text[at - 1] != '/' && text[at - 1] != fs::path::preferred_separator) --at;
    return text.substr(at);
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
    LogFolder folder{PathText(path), path, {}};
    std::vector<fs::path> subfolders;
    std::error_code error;
    for (fs::directory_iterator it(path, error), end; !error && it != end; it.increment(error)) {
        std::error_code entryError;
        if (it->is_symlink(entryError)) {
            if (it->is_regular_file(entryError) && HasLogExtension(it->path())) {
                folder.names.push_back(NameOf(it->path()));
            }
        } else if (it->is_directory(entryError)) {
            subfolders.push_back(it->path());
        } else if (it->is_regular_file(entryError) && HasLogExtension(it->path())) {
            folder.names.push_back(NameOf(it->path()));
        }
    }
    if (error) unlisted.push_back(PathText(path) + ": " + error.message());
    SortByName(subfolders);  // a folder's files are put in order where they are read
    if (!folder.names.empty()) found(std::move(folder));
    for (const fs::path& subfolder : subfolders) {
        Walk(subfolder, resolved / subfolder.filename(), found, walked, unlisted);
    }
}

}  // namespace

std::string NameText(const fs::path::string_type& name) {
#ifdef _WIN32
    return PathText(fs::path(name));
#else
    return name;  // bytes, as the system keeps them
#endif
}

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
        if (same == named.end()) {
            same = named.insert(named.end(), LogFolder{parent, path.parent_path(), {}});
        }
        same->names.push_back(path.filename().native());
    }
    for (LogFolder& folder : named) found(std::move(folder));
    return trouble;
}
