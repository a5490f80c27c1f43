#include "logging/TextConversion.h"

#include <windows.h>

#include <gtest/gtest.h>

TEST(TextConversion, RoundTripsTheAnsiCodePage) {
    EXPECT_EQ("Preparing Vistalyne", WideToNarrow(L"Preparing Vistalyne"));
    EXPECT_EQ(L"Preparing Vistalyne", NarrowToWide("Preparing Vistalyne"));
    EXPECT_EQ("", WideToNarrow(L""));
    EXPECT_EQ(L"", NarrowToWide(""));
    const std::string long_(5000, 'k');
    EXPECT_EQ(long_, WideToNarrow(NarrowToWide(long_)));
}

TEST(TextConversion, CharactersOutsideTheCodePageBecomeTheDefaultCharacter) {
    CPINFO info{};
    ASSERT_TRUE(GetCPInfo(CP_ACP, &info));
    const std::string converted = WideToNarrow(
        L"a\x4E2D"
        L"b");  // a CJK character
    if (info.MaxCharSize == 1) {
        EXPECT_EQ(std::string("a") + static_cast<char>(info.DefaultChar[0]) + "b", converted);
    } else {
        EXPECT_GE(converted.size(), 3u);  // a multi-byte code page keeps the whole text
    }
}

TEST(Utf8ToWideForLog, DecodesValidTextAndMarksEachInvalidByte) {
    EXPECT_EQ(L"sessionstart:Home", Utf8ToWideForLog("sessionstart:Home"));
    EXPECT_EQ(L"caf\x00E9", Utf8ToWideForLog("caf\xC3\xA9"));
    EXPECT_EQ(L"\x20AC", Utf8ToWideForLog("\xE2\x82\xAC"));
    EXPECT_EQ(std::wstring(L"\xD83D\xDE00"), Utf8ToWideForLog("\xF0\x9F\x98\x80"));
    // A lone Latin-1 byte, as the low 8 bits of U+00E9 are sent.
    EXPECT_EQ(L"sessionstart:caf\xFFFD", Utf8ToWideForLog("sessionstart:caf\xE9"));
    EXPECT_EQ(
        L"\xFFFD\xFFFD"
        L"a",
        Utf8ToWideForLog("\xC0\xAF"
                         "a"));                                          // overlong form
    EXPECT_EQ(L"\xFFFD\xFFFD\xFFFD", Utf8ToWideForLog("\xED\xA0\x80"));  // a surrogate
    EXPECT_EQ(
        L"\xFFFD\xFFFD"
        L"b",
        Utf8ToWideForLog("\xE2\x82"
                         "b"));  // cut short
    EXPECT_EQ(std::wstring(L"a\0b", 3), Utf8ToWideForLog(std::string("a\0b", 3)));
}
