// The conversation with the kiosk application: the session start out, its replies in.
#pragma once

#include <windows.h>

#include <memory>
#include <string>

class VistalyneMessageProcessor {
public:
    VistalyneMessageProcessor(HWND mainWindow, HWND targetWindow, std::wstring pageName);
    ~VistalyneMessageProcessor();
    VistalyneMessageProcessor(const VistalyneMessageProcessor&) = delete;
    VistalyneMessageProcessor& operator=(const VistalyneMessageProcessor&) = delete;

    // True when the start was handed to the kiosk application; false without a target.
    bool SendSessionStart();

    static void SendCopyDataMessage(HWND receiver, HWND sender, const std::string& text);

    void ProcessCopyData(const COPYDATASTRUCT& data);

    bool ReplyReceived() const { return replyReceived; }
    double StartSentTime() const { return startSentTime; }

private:
    HWND mainWindow;
    HWND targetWindow;
    bool replyReceived = false;
    double startSentTime = 0.0;
    std::wstring pageName;
};

// The sole owner of the current processor; reset() stores the new one before deleting the old.
extern std::unique_ptr<VistalyneMessageProcessor> CurrentMessageProcessor;
