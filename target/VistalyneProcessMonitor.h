// Watches that the kiosk application's target window still exists under its form window.
#pragma once

#include <windows.h>

#include <memory>

class VistalyneProcessMonitor {
public:
    explicit VistalyneProcessMonitor(HWND formWindow);
    ~VistalyneProcessMonitor();
    VistalyneProcessMonitor(const VistalyneProcessMonitor&) = delete;
    VistalyneProcessMonitor& operator=(const VistalyneProcessMonitor&) = delete;

    // True when a check is due (more than the interval since the last) and finds no target
    // window under the form; a null form means the top-level windows.
    bool IsTargetGone(double nowMs);

private:
    double lastCheckTime = 0.0;  // 0.0 is the program's start, not the monitor's creation
    double checkInterval = 500.0;
    HWND formWindow;
};

extern std::unique_ptr<VistalyneProcessMonitor> CurrentProcessMonitor;

// Stores the new monitor (or null) first, then destroys the one held before.
void SetProcessMonitor(VistalyneProcessMonitor* monitor);
