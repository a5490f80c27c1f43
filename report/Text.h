// Text of the logs as the report writes it: the logs' bytes are in the ANSI code page of the
// kiosk (Windows-1252 on the kiosks this is made for); the report writes UTF-8.
#pragma once

#include <string>

// Each byte as the Windows-1252 character it stands for, in UTF-8; bytes that code page
// leaves undefined become U+FFFD, so nothing a file holds can make invalid output.
std::string AnsiToUtf8(const std::string& bytes);

// One CSV field: quoted (with its quotes doubled) when it holds a comma, quote or line break.
std::string CsvField(const std::string& text);

// Text for HTML content and attribute values.
std::string HtmlEscaped(const std::string& text);
