// The bytes of the session messages exchanged with the kiosk application over WM_COPYDATA.
#pragma once

#include <windows.h>

#include <string>

constexpr ULONG_PTR kSessionMessageId = 100;

// "sessionstart:" and the page name, each UTF-16 code unit sent as its low 8 bits.
std::string BuildSessionStartText(const std::wstring& pageName);

// The received text: up to the first NUL, never more than cbData bytes; empty for no data.
std::string ReceivedText(const COPYDATASTRUCT& data);

// The identifier as the receipt line shows it: its low 32 bits, signed.
int IdentifierForLog(ULONG_PTR identifier);

enum class SessionReply { kNone, kSessionEnd, kSessionActive };

// Exact, whole-text, case-sensitive.
SessionReply ClassifyReply(const std::string& text);
