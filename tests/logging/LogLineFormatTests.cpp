#include "logging/LogLineFormat.h"

#include <gtest/gtest.h>

namespace {

SYSTEMTIME Utc(WORD year, WORD month, WORD day, WORD hour, WORD minute, WORD second) {
    SYSTEMTIME time{};
    time.wYear = year, time.wMonth = month, time.wDay = day;
    time.wHour = hour, time.wMinute = minute, time.wSecond = second;
    return time;
}

}  // namespace

TEST(LogLineFormat, StampCodeTextAndTerminator) {
    EXPECT_EQ(
        "261207|121954|999|Preparing Vistalyne Session Handler|\r\n",
        BuildLogFileLine(Utc(2026, 12, 7, 12, 19, 54), 999, "Preparing Vistalyne Session Handler"));
    EXPECT_EQ("270102|030405|007||\r\n", BuildLogFileLine(Utc(2027, 1, 2, 3, 4, 5), 7, ""));
    EXPECT_EQ("261231|235959|305|a|b|\r\n", BuildLogFileLine(Utc(2026, 12, 31, 23, 59, 59), 305,
                                                             "a|b"));  // "|" is not escaped
}

TEST(FlattenLineText, TurnsEveryKindOfBreakIntoOneBlank) {
    EXPECT_EQ("a b", FlattenLineText("a\r\nb"));
    EXPECT_EQ("a b", FlattenLineText("a\rb"));
    EXPECT_EQ("a b", FlattenLineText("a\nb"));
    EXPECT_EQ("a b", FlattenLineText("a\n\nb"));  // two blanks, then folded
    EXPECT_EQ("a b", FlattenLineText("a\n\rb"));
    EXPECT_EQ("", FlattenLineText(""));
}

TEST(FlattenLineText, FoldsBlankPairsInOnePass) {
    EXPECT_EQ("a b", FlattenLineText("a  b"));
    EXPECT_EQ("a  b", FlattenLineText("a   b"));   // three give two
    EXPECT_EQ("a  b", FlattenLineText("a    b"));  // four give two
    EXPECT_EQ("File. Shutting", FlattenLineText("File.  Shutting"));
}

TEST(ReplaceAll, NeverSearchesItsOwnReplacements) {
    std::string text = "aaa";
    ReplaceAll(text, "a", "aa");
    EXPECT_EQ("aaaaaa", text);
    text = "abc";
    ReplaceAll(text, "", "x");
    EXPECT_EQ("abc", text);
    text = "xyxyx";
    ReplaceAll(text, "xyx", "-");
    EXPECT_EQ("-yx", text);
}
