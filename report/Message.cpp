#include "report/Message.h"

namespace {

bool StartsWith(std::string_view text, std::string_view prefix) {
    return text.substr(0, prefix.size()) == prefix;
}

constexpr char kReceivedPrefix[] = "Received message from vistalyne | ID: ";
constexpr char kMessageSeparator[] = " | Message: ";

}  // namespace

Message RecogniseMessage(int code, std::string_view text) {
    Message message;
    MessageKind& kind = message.kind;
    if (code == 305) {
        if (StartsWith(text, "Starting new UTC Logfile")) kind = MessageKind::kBannerNew;
        if (StartsWith(text, "Starting next UTC logfile")) kind = MessageKind::kBannerNext;
        if (text == "Starting new file from missing previous (log file copied out)") {
            kind = MessageKind::kMissingNotice;
        }
    } else if (code == 306) {
        // The writer folds the two blanks after "File." into one; either is accepted.
        if (StartsWith(text, "New Day, Creating New Log File.") ||
            StartsWith(text, "Log file too big, Creating New Log File.")) {
            kind = MessageKind::kRotationNotice;
        }
        if (text == "LogFile Destroy Method Called. Shutting down log file") {
            kind = MessageKind::kClosing;
        }
    } else if (code == 307) {
        if (StartsWith(text, "Logfile class destroyed by LogFileManager")) {
            kind = MessageKind::kExitWarning;
        }
    } else if (code == 999) {
        if (text.size() >= 3 && text.front() == '[' && text.back() == ']') {
            const size_t comma = text.find(',');
            if (comma != std::string_view::npos) {
                kind = MessageKind::kCommandLinePair;
                message.key = text.substr(1, comma - 1);
                message.value = text.substr(comma + 1, text.size() - comma - 2);
            }
        } else if (StartsWith(text, kReceivedPrefix)) {
            const size_t separator = text.find(kMessageSeparator);
            if (separator != std::string_view::npos) {
                kind = MessageKind::kReceived;
                const size_t idStart = sizeof(kReceivedPrefix) - 1;
                message.identifier = text.substr(idStart, separator - idStart);
                message.value = text.substr(separator + sizeof(kMessageSeparator) - 1);
            }
        } else if (text == "Received sessionend message, closing application") {
            kind = MessageKind::kSessionEnd;
        } else if (text ==
                   "Haven't received response to the start session message, posting "
                   "quit message") {
            kind = MessageKind::kNoReply;
        } else if (text == "Vistalyne handle cannot be found, posting quit messsage") {
            kind = MessageKind::kKioskGone;
        } else if (text == "Received WM_DESTROY Message") {
            kind = MessageKind::kDestroyed;
        } else if (StartsWith(text, "Failed to find the vistalyne window handle ")) {
            kind = MessageKind::kNotFound;
        } else if (text == "Failed to send session start to vistalyne, closing application.") {
            kind = MessageKind::kSendFailed;
        } else if (text == "Shutting Down Vistalyne Session Handler") {
            kind = MessageKind::kShuttingDown;
        }
    }
    return message;
}

bool IsIgnoredReceipt(const Message& received) {
    if (received.kind != MessageKind::kReceived) return false;
    if (received.identifier != "100") return true;
    return received.value != "sessionend" && received.value != "sessionactive";
}
