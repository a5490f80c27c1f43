// A fresh folder under the temp folder for one test, deleted with everything in it afterwards.
#pragma once

#include <string>
#include <vector>

class TempFolder {
public:
    TempFolder();
    ~TempFolder();
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;

    // Ends with a backslash.
    const std::wstring& Path() const { return path; }

private:
    std::wstring path;
};

std::string ReadWholeFile(const std::wstring& path);

// File names (without folder) in the folder, sorted.
std::vector<std::wstring> FilesIn(const std::wstring& folder);

// The lines of a log file without their "|" CR LF ending.
std::vector<std::string> SplitLogLines(const std::string& bytes);

// The lines of every file in a log folder, the files taken in name order.
std::vector<std::string> LogFolderLines(const std::wstring& folder);

// The text field of a log line (after "yymmdd|hhmmss|ccc|"), and its code.
std::string LineText(const std::string& line);
std::string LineCode(const std::string& line);

// The folder of the running test program, ending with a backslash.
std::wstring ProgramFolder();

// Where the programs under test are (the session handler, the stand-in, the helpers), and the
// build of the other width; a driver given --program-dir and --other-width-dir tests either
// width. Without them: the test program's own folder, and no other width.
std::wstring ProgramUnderTestFolder();
std::wstring OtherWidthFolder();  // empty also when VSH_OTHER_WIDTH_RUNS is "no"
void SetProgramFolders(const std::wstring& programFolder, const std::wstring& otherWidthFolder);

// A folder given as a Windows path or a Unix one (Wine's drive Z:), ending with a backslash.
std::wstring WindowsFolder(std::wstring folder);
