// The bytes of one log file line: UTC stamp, line code, the text on one line, "|" CR LF.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>

// Replaces each occurrence left to right; a replacement is never searched again.
void ReplaceAll(std::string& text, const std::string& what, const std::string& with);

// Line breaks become blanks, then each pair of blanks becomes one.
std::string FlattenLineText(std::string text);

// "yymmdd|hhmmss|ccc|" for a UTC time and a line code.
std::string FormatLinePrefix(const SYSTEMTIME& utc, std::uint16_t code);

std::string BuildLogFileLine(const SYSTEMTIME& utc, std::uint16_t code,
                             const std::string& flattenedText);
