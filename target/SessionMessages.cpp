#include "target/SessionMessages.h"

#include <cstdint>
#include <cstring>

std::string BuildSessionStartText(const std::wstring& pageName) {
    std::string text = "sessionstart:";
    for (wchar_t unit : pageName) {
        text.push_back(static_cast<char>(static_cast<unsigned char>(unit & 0xFF)));
    }
    return text;
}

std::string ReceivedText(const COPYDATASTRUCT& data) {
    if (data.lpData == nullptr || data.cbData == 0) return {};
    const auto* bytes = static_cast<const char*>(data.lpData);
    const void* nul = std::memchr(bytes, '\0', data.cbData);
    const size_t length = nul != nullptr
                              ? static_cast<size_t>(static_cast<const char*>(nul) - bytes)
                              : static_cast<size_t>(data.cbData);
    return std::string(bytes, length);
}

int IdentifierForLog(ULONG_PTR identifier) {
    return static_cast<int>(static_cast<std::uint32_t>(identifier));
}

SessionReply ClassifyReply(const std::string& text) {
    if (text == "sessionend") return SessionReply::kSessionEnd;
    if (text == "sessionactive") return SessionReply::kSessionActive;
    return SessionReply::kNone;
}
