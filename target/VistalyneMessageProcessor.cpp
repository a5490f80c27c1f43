#include "target/VistalyneMessageProcessor.h"

#include <utility>
#include <vector>

#include "logging/LogStatement.h"
#include "logging/TextConversion.h"
#include "support/MonotonicClock.h"
#include "target/SessionMessages.h"

namespace {

// A kiosk application that never returns from its handler must not hold the program forever.
constexpr UINT kSessionStartSendTimeoutMs = 5000;

}  // namespace

VistalyneMessageProcessor::VistalyneMessageProcessor(HWND mainWindow, HWND targetWindow,
                                                     std::wstring pageName)
    : mainWindow(mainWindow), targetWindow(targetWindow), pageName(std::move(pageName)) {
    WriteLogLine(LogLine() << "Constructed VistalyneMessageProcessor");
}

VistalyneMessageProcessor::~VistalyneMessageProcessor() {
    WriteLogLine(LogLine() << "Destructed VistalyneMessageProcessor");
}

bool VistalyneMessageProcessor::SendSessionStart() {
    WriteLogLine(LogLine() << "Sending session start message to the vistalyne");
    // Stamped before sending: a reply can arrive, and the watch can run, inside the send.
    startSentTime = ElapsedMilliseconds();
    const std::string text = BuildSessionStartText(pageName);
    if (targetWindow == nullptr) {
        WriteLogLine(
            LogLine() << "Failed to send message the the vistalyne, the vistalyne window was NULL: "
                      << Utf8ToWideForLog(text));
        return false;
    }
    SendCopyDataMessage(targetWindow, mainWindow, text);
    return true;
}

void VistalyneMessageProcessor::SendCopyDataMessage(HWND receiver, HWND sender,
                                                    const std::string& text) {
    WriteLogLine(LogLine() << "Sending message to the vistalyne - " << Utf8ToWideForLog(text));
    std::vector<char> buffer(text.begin(), text.end());
    buffer.push_back('\0');  // sent along but not counted, for receivers that read C strings
    COPYDATASTRUCT data{};
    data.dwData = kSessionMessageId;
    data.cbData = static_cast<DWORD>(text.size());
    data.lpData = buffer.data();
    DWORD_PTR result = 0;
    // SMTO_NORMAL keeps handling messages sent to this thread during the wait, so a reply
    // from inside the kiosk application's handler still arrives.
    (void)SendMessageTimeoutW(receiver, WM_COPYDATA, reinterpret_cast<WPARAM>(sender),
                              reinterpret_cast<LPARAM>(&data), SMTO_NORMAL,
                              kSessionStartSendTimeoutMs, &result);
}

void VistalyneMessageProcessor::ProcessCopyData(const COPYDATASTRUCT& data) {
    const std::string text = ReceivedText(data);
    WriteLogLine(LogLine() << "Received message from vistalyne | ID: "
                           << IdentifierForLog(data.dwData)
                           << " | Message: " << Utf8ToWideForLog(text));
    if (data.dwData != kSessionMessageId) {
        WriteLogLine(LogLine() << "Identifier is wrong, ignoring message");
        return;
    }
    switch (ClassifyReply(text)) {
        case SessionReply::kSessionEnd:
            WriteLogLine(LogLine() << "Received sessionend message, closing application");
            PostQuitMessage(0);
            break;
        case SessionReply::kSessionActive:
            WriteLogLine(LogLine()
                         << "Received sessionactive message, delaying application shutdown");
            replyReceived = true;
            break;
        case SessionReply::kNone:
            break;
    }
}
