#include "logging/TextConversion.h"

#include <windows.h>

#include <cstdint>

namespace {

constexpr wchar_t kReplacementCharacter = 0xFFFD;

// Sizes the output from the conversion's own answer, so no multi-byte text is cut short.
std::string ConvertToAnsi(const std::wstring& text, DWORD flags) {
    const int length = static_cast<int>(text.size());
    const int needed =
        WideCharToMultiByte(CP_ACP, flags, text.data(), length, nullptr, 0, nullptr, nullptr);
    if (needed <= 0) return {};
    std::string output(static_cast<size_t>(needed), '\0');
    const int written = WideCharToMultiByte(CP_ACP, flags, text.data(), length, &output[0], needed,
                                            nullptr, nullptr);
    output.resize(written > 0 ? static_cast<size_t>(written) : 0);
    return output;
}

std::wstring ConvertFromAnsi(const std::string& text, DWORD flags) {
    const int length = static_cast<int>(text.size());
    const int needed = MultiByteToWideChar(CP_ACP, flags, text.data(), length, nullptr, 0);
    if (needed <= 0) return {};
    std::wstring output(static_cast<size_t>(needed), L'\0');
    const int written = MultiByteToWideChar(CP_ACP, flags, text.data(), length, &output[0], needed);
    output.resize(written > 0 ? static_cast<size_t>(written) : 0);
    return output;
}

// Length of the valid UTF-8 sequence at the start of bytes, and its code point; 0 if invalid.
size_t DecodeUtf8Sequence(const unsigned char* bytes, size_t available, std::uint32_t& codePoint) {
    const unsigned char lead = bytes[0];
    size_t length = 0;
    std::uint32_t minimum = 0;
    if (lead < 0x80) {
        codePoint = lead;
        return 1;
    } else if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2, codePoint = lead & 0x1F, minimum = 0x80;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3, codePoint = lead & 0x0F, minimum = 0x800;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4, codePoint = lead & 0x07, minimum = 0x10000;
    } else {
        return 0;
    }
    if (available < length) return 0;
    for (size_t i = 1; i < length; ++i) {
        if ((bytes[i] & 0xC0) != 0x80) return 0;
        codePoint = (codePoint << 6) | (bytes[i] & 0x3F);
    }
    const bool surrogate = codePoint >= 0xD800 && codePoint <= 0xDFFF;
    if (codePoint < minimum || codePoint > 0x10FFFF || surrogate) return 0;
    return length;
}

}  // namespace

std::string WideToNarrow(const std::wstring& text) {
    std::string converted = ConvertToAnsi(text, WC_NO_BEST_FIT_CHARS);
    if (converted.empty()) converted = ConvertToAnsi(text, 0);
    return converted;
}

std::wstring NarrowToWide(const std::string& text) {
    std::wstring converted = ConvertFromAnsi(text, MB_PRECOMPOSED);
    if (converted.empty()) converted = ConvertFromAnsi(text, 0);
    return converted;
}

std::wstring Utf8ToWideForLog(const std::string& bytes) {
    std::wstring output;
    output.reserve(bytes.size());
    const auto* data = reinterpret_cast<const unsigned char*>(bytes.data());
    size_t position = 0;
    while (position < bytes.size()) {
        std::uint32_t codePoint = 0;
        const size_t length =
            DecodeUtf8Sequence(data + position, bytes.size() - position, codePoint);
        if (length == 0) {
            output.push_back(kReplacementCharacter);
            ++position;
            continue;
        }
        if (codePoint >= 0x10000) {
            codePoint -= 0x10000;
            output.push_back(static_cast<wchar_t>(0xD800 + (codePoint >> 10)));
            output.push_back(static_cast<wchar_t>(0xDC00 + (codePoint & 0x3FF)));
        } else {
            output.push_back(static_cast<wchar_t>(codePoint));
        }
        position += length;
    }
    return output;
}
