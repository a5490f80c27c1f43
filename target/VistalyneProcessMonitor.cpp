#include "target/VistalyneProcessMonitor.h"

#include "logging/LogStatement.h"
#include "target/SessionWatch.h"
#include "target/WindowDiscovery.h"

VistalyneProcessMonitor::VistalyneProcessMonitor(HWND formWindow) : formWindow(formWindow) {
    WriteLogLine(LogLine() << "Constructed VistalyneProcessMonitor");
}

VistalyneProcessMonitor::~VistalyneProcessMonitor() {
    WriteLogLine(LogLine() << "Destructed VistalyneProcessMonitor");
}

bool VistalyneProcessMonitor::IsTargetGone(double nowMs) {
    if (!HasRunOver(nowMs, lastCheckTime, checkInterval)) return false;
    lastCheckTime = nowMs;  // before enumerating, so a slow enumeration does not shift the cadence
    return TargetWindowsUnder(formWindow).empty();
}

void SetProcessMonitor(VistalyneProcessMonitor* monitor) {
    CurrentProcessMonitor.reset(monitor);
}
