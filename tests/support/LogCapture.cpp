#include "tests/support/LogCapture.h"

#include "logging/LogFileManager.h"

LogCapture::LogCapture() {
    // Fixed name and no rotation: every line of the test lands in one file.
    ProgramLog = new LogFile(folder.Path(), L"capture", 0, false, false, true);
}

LogCapture::~LogCapture() {
    delete ProgramLog;
    ProgramLog = nullptr;
}

std::vector<std::string> LogCapture::StatementTexts() const {
    std::vector<std::string> texts;
    for (const std::string& line : SplitLogLines(ReadWholeFile(ProgramLog->CurrentPath()))) {
        if (LineCode(line) == "999") texts.push_back(LineText(line));
    }
    return texts;
}
