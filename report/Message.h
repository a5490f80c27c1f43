// What one log line says, recognised from its exact wording.
#pragma once

#include <string_view>

enum class MessageKind {
    kOther,
    kBannerNew,        // "Starting new UTC Logfile...": a run's first file
    kBannerNext,       // "Starting next UTC logfile...": a later file of a run
    kMissingNotice,    // the file before was taken away
    kRotationNotice,   // new day or too big: the last line of a file the run goes on from
    kClosing,          // the log closed by the program's own shut-down
    kExitWarning,      // the log never closed: warned at process exit
    kCommandLinePair,  // "[key,value]"
    kReceived,         // "Received message from vistalyne | ID: n | Message: text"
    kSessionEnd,       // "Received sessionend message, closing application"
    kNoReply,          // the 5000 ms reply watch fired
    kKioskGone,        // the liveness check found no kiosk window
    kDestroyed,        // "Received WM_DESTROY Message"
    kNotFound,         // "Failed to find the vistalyne window handle ..."
    kSendFailed,       // "Failed to send session start to vistalyne, closing application."
    kShuttingDown,     // "Shutting Down Vistalyne Session Handler"
};

// Views into the text the message was recognised in.
struct Message {
    MessageKind kind = MessageKind::kOther;
    std::string_view key;         // kCommandLinePair
    std::string_view value;       // kCommandLinePair: the value; kReceived: the received text
    std::string_view identifier;  // kReceived, as logged
};

Message RecogniseMessage(int code, std::string_view text);

// A received message that changed nothing: a wrong identifier, or a text other than the two
// replies the program acts on.
bool IsIgnoredReceipt(const Message& received);
