// Text of the logs as the report writes it: the logs' bytes are in the ANSI code page of the
// kiosk (Windows-1252 on the kiosks this is made for); the report writes UTF-8.
#pragma once

#include <string>
#include <string_view>

// Each byte as the Windows-1252 character it stands for, in UTF-8; bytes that code page
// leaves undefined become U+FFFD, so nothing a file holds can make invalid output.
std::string AnsiToUtf8(const std::string& bytes);

// One CSV field of text: quoted (with its quotes doubled) when it holds a comma, quote or line
// break; one that a spreadsheet would take for a formula (a first "=", "+", "-", "@", tab or
// carriage return) begins with an apostrophe.
std::string CsvField(const std::string& text);

// Text for HTML content and attribute values.
std::string HtmlEscaped(const std::string& text);

// The text with every byte that is not part of well-formed UTF-8 replaced by U+FFFD: names
// of folders are bytes on some systems.
std::string ValidUtf8(std::string_view text);

// A JSON string, quoted, of UTF-8 text (made valid first).
std::string JsonString(std::string_view text);
