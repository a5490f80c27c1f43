// Finds the log files named on the command line, folder by folder: every *.log file under a
// folder named (its subfolders too), and each file named as given. Each folder that holds log
// files is one kiosk.
#pragma once

#include <filesystem>
#include <functional>
#include <string>
#include <vector>

// The names of a folder's files are kept apart from the folder: a fleet's walk makes no path
// of its own for each file.
struct LogFolder {
    std::string folder;               // as found: the argument, and the subfolder below it
    std::filesystem::path directory;  // where its files are
    std::vector<std::filesystem::path::string_type> names;  // of its files, as listed

    std::filesystem::path PathOf(size_t file) const { return directory / names[file]; }
};

// What the walk could not reach.
struct WalkTrouble {
    std::vector<std::string> missing;   // arguments that name nothing readable
    std::vector<std::string> unlisted;  // folders whose listing failed or broke off, with why
};

// Calls found for each folder that holds log files, in a fixed order: the arguments in turn,
// a folder's own files before its subfolders, subfolders by name; the files named one by one
// come last, by the folder they are in. A folder or file reached again, however named, is
// left out.
WalkTrouble WalkLogSources(const std::vector<std::string>& arguments,
                           const std::function<void(LogFolder&&)>& found);

// The text of a path, as UTF-8 on every system.
std::string PathText(const std::filesystem::path& path);

// The text of a file's name, as UTF-8 on every system.
std::string NameText(const std::filesystem::path::string_type& name);
