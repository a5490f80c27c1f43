// Conversions between the program's wide text and the byte texts of files and messages.
#pragma once

#include <string>

// ANSI code page; characters without an exact equivalent become the default character.
std::string WideToNarrow(const std::wstring& text);
std::wstring NarrowToWide(const std::string& text);

// For log lines only: every byte that is not part of a valid UTF-8 sequence becomes U+FFFD,
// so nothing a sender puts in a message is dropped silently.
std::wstring Utf8ToWideForLog(const std::string& bytes);
