// Points the program's log at a temporary folder for one test and reads back what it wrote.
#pragma once

#include <string>
#include <vector>

#include "tests/support/TempFolder.h"

class LogCapture {
public:
    LogCapture();
    ~LogCapture();
    LogCapture(const LogCapture&) = delete;
    LogCapture& operator=(const LogCapture&) = delete;

    // The texts of the statement lines (code 999) written so far, in order.
    std::vector<std::string> StatementTexts() const;

private:
    TempFolder folder;
};
