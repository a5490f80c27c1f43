// Upper-case HTML entity names (with "&", without ";") mapped to the character each stands for.
#pragma once

#include <map>
#include <string>

using HtmlEntityMap = std::map<std::wstring, wchar_t>;

// Builds the table from the listed pairs; where upper-casing makes two names one key, the
// first pair listed keeps it.
HtmlEntityMap BuildHtmlEntityTable();

extern const HtmlEntityMap HtmlEntityTable;
