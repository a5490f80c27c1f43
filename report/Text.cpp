#include "report/Text.h"

#include <cstring>

namespace {

// Windows-1252 from 0x80 to 0x9F; 0 where the code page defines nothing.
const char16_t kHighControls[32] = {
    0x20AC, 0,      0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0,      0x017D, 0,      0,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0,      0x017E, 0x0178,
};

void AppendUtf8(std::string& out, char32_t c) {
    if (c < 0x80) {
        out.push_back(static_cast<char>(c));
    } else if (c < 0x800) {
        out.push_back(static_cast<char>(0xC0 | (c >> 6)));
        out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
    } else {
        out.push_back(static_cast<char>(0xE0 | (c >> 12)));
        out.push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
    }
}

}  // namespace

std::string AnsiToUtf8(const std::string& bytes) {
    std::string out;
    out.reserve(bytes.size());
    for (const char byte : bytes) {
        const auto c = static_cast<unsigned char>(byte);
        if (c < 0x80) {
            out.push_back(static_cast<char>(c));
        } else if (c < 0xA0) {
            const char16_t mapped = kHighControls[c - 0x80];
            AppendUtf8(out, mapped != 0 ? mapped : 0xFFFD);
        } else {
            AppendUtf8(out, c);
        }
    }
    return out;
}

std::string CsvField(const std::string& text) {
    // A spreadsheet takes a cell that begins with one of these as a formula: a leading
    // apostrophe makes it text again.
    const bool formulaLike = !text.empty() && std::strchr("=+-@\t\r", text.front()) != nullptr;
    const std::string shown = formulaLike ? "'" + text : text;
    if (shown.find_first_of(",\"\r\n") == std::string::npos) return shown;
    std::string quoted = "\"";
    for (const char c : shown) {
        if (c == '"') quoted.push_back('"');
        quoted.push_back(c);
    }
    return quoted + "\"";
}

std::string HtmlEscaped(const std::string& text) {
    std::string out;
    out.reserve(text.size());
    for (const char c : text) {
        switch (c) {
            case '&':
                out += "&amp;";
                break;
            case '<':
                out += "&lt;";
                break;
            case '>':
                out += "&gt;";
                break;
            case '"':
                out += "&quot;";
                break;
            case '\'':
                out += "&#39;";
                break;
            default:
                // Control characters have no place in a page: shown as the replacement mark.
                if (static_cast<unsigned char>(c) < 0x20 && c != '\t') {
                    out += "\xEF\xBF\xBD";
                } else {
                    out.push_back(c);
                }
        }
    }
    return out;
}

std::string ValidUtf8(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    size_t i = 0;
    while (i < text.size()) {
        const auto lead = static_cast<unsigned char>(text[i]);
        size_t length = lead < 0x80           ? 1
                        : (lead >> 5) == 0x6  ? 2
                        : (lead >> 4) == 0xE  ? 3
                        : (lead >> 3) == 0x1E ? 4
                                              : 0;
        bool whole = length > 0 && i + length <= text.size();
        for (size_t k = 1; whole && k < length; ++k) {
            whole = (static_cast<unsigned char>(text[i + k]) & 0xC0) == 0x80;
        }
        if (whole && length > 1) {
            // Overlong forms, surrogates and values past U+10FFFF are not UTF-8 either.
            const auto second = static_cast<unsigned char>(text[i + 1]);
            whole = !(lead == 0xC0 || lead == 0xC1 || (lead == 0xE0 && second < 0xA0) ||
                      (lead == 0xED && second >= 0xA0) || (lead == 0xF0 && second < 0x90) ||
                      (lead == 0xF4 && second >= 0x90) || lead > 0xF4);
        }
        if (whole) {
            out.append(text.substr(i, length));
            i += length;
        } else {
            out += "\xEF\xBF\xBD";
            ++i;
        }
    }
    return out;
}

std::string JsonString(std::string_view text) {
    static const char kHex[] = "0123456789abcdef";
    std::string out = "\"";
    for (const char c : ValidUtf8(text)) {
        switch (c) {
            case '"':
                out += "\\\"";
                break;
            case '\\':
                out += "\\\\";
                break;
            case '\n':
                out += "\\n";
                break;
            case '\r':
                out += "\\r";
                break;
            case '\t':
                out += "\\t";
                break;
            default:
                if (static_cast<unsigned char>(c) < 0x20) {
                    out += "\\u00";
                    out.push_back(kHex[(c >> 4) & 0xF]);
                    out.push_back(kHex[c & 0xF]);
                } else {
                    out.push_back(c);
                }
        }
    }
    return out + "\"";
}
