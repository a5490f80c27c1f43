#include "report/LogSource.h"

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <system_error>

namespace fs = std::filesystem;

namespace {

bool HasLogExtension(const fs::path& path) {
    std::string extension = path.extension().string();
    std::transform(extension.begin(), extension.end(), extension.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return extension == ".log";
}

bool ReadBytes(const fs::path& path, std::string& bytes) {
    std::ifstream in(path, std::ios::binary);
    if (!in) return false;
    bytes.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    return !in.bad();
}

}  // namespace

SourceRead ReadLogSources(const std::vector<std::string>& arguments,
                          const std::function<void(size_t, size_t)>& progress) {
    SourceRead read;
    std::vector<std::pair<std::string, fs::path>> found;  // the folder as found, the file
    for (const std::string& argument : arguments) {
        std::error_code error;
        const fs::path path(argument);
        if (fs::is_directory(path, error)) {
            std::vector<fs::path> names;
            for (fs::directory_iterator it(path, error), end; !error && it != end;
                 it.increment(error)) {
                if (it->is_regular_file(error) && HasLogExtension(it->path())) {
                    names.push_back(it->path());
                }
            }
            std::sort(names.begin(), names.end());
            for (const fs::path& name : names) found.emplace_back(argument, name);
        } else if (fs::is_regular_file(path, error)) {
            const std::string parent = path.parent_path().string();
            found.emplace_back(parent.empty() ? "." : parent, path);
        } else {
            read.missing.push_back(argument);
        }
    }
    for (size_t i = 0; i < found.size(); ++i) {
        std::string bytes;
        ++read.counts.files;
        if (!ReadBytes(found[i].second, bytes)) {
            ++read.counts.unreadableFiles;
        } else {
            ParsedFile parsed = ParseLogFile(bytes);
            if (parsed.lines.empty()) ++read.counts.unreadableFiles;
            read.counts.unreadableLines += parsed.lines.empty() ? 0 : parsed.unreadable;
            read.files.push_back(
                {found[i].first, found[i].second.filename().string(), std::move(parsed)});
        }
        if (progress) progress(i + 1, found.size());
    }
    return read;
}
