// The program's process-wide objects, all here because their order is behaviour: they are
// built top to bottom before the entry point runs and destroyed bottom to top at exit.

#include <windows.h>

#include <memory>

#include "app/MainWindow.h"
#include "logging/LogFileManager.h"
#include "support/HtmlEntityTable.h"
#include "support/MonotonicClock.h"
#include "target/VistalyneMessageProcessor.h"
#include "target/VistalyneProcessMonitor.h"

// Destroyed last: its exit pass warns the logs that nobody closed, after the slots below
// have written their destruction lines into them.
LogFileManager TheLogFileManager;
LogFile* ProgramLog = nullptr;

const HtmlEntityMap HtmlEntityTable = BuildHtmlEntityTable();

const std::int64_t StartInstant = MonotonicNow();

// The monitor is declared after the processor so that it is destroyed first at exit.
std::unique_ptr<VistalyneMessageProcessor> CurrentMessageProcessor;
std::unique_ptr<VistalyneProcessMonitor> CurrentProcessMonitor;

HINSTANCE ProgramInstance = nullptr;
