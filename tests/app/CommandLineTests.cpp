#include "app/CommandLine.h"

#include <gtest/gtest.h>

#include "tests/support/LogCapture.h"

namespace {

struct Parsed {
    CommandLineArguments arguments;
    std::vector<std::string> lines;
};

Parsed Parse(const std::wstring& commandLine) {
    LogCapture capture;
    Parsed parsed;
    ParseCommandLine(commandLine, parsed.arguments);
    parsed.lines = capture.StatementTexts();
    return parsed;
}

}  // namespace

TEST(ParseCommandLine, LogsTheLineThenOnePairPerEntry) {
    const Parsed parsed = Parse(L"PageName=Home");
    EXPECT_EQ((CommandLineArguments{{L"PageName", L"Home"}}), parsed.arguments);
    EXPECT_EQ(
        (std::vector<std::string>{"Processing commandline: PageName=Home", "[PageName,Home]"}),
        parsed.lines);
}

TEST(ParseCommandLine, EmptyLineGivesNoEntriesAndOnlyTheProcessingLine) {
    const Parsed parsed = Parse(L"");
    EXPECT_TRUE(parsed.arguments.empty());
    EXPECT_EQ(std::vector<std::string>{"Processing commandline: "}, parsed.lines);
}

TEST(ParseCommandLine, PairLinesFollowKeyOrderNotCommandLineOrder) {
    const Parsed parsed = Parse(L"PageName=Home Mode=Test");
    EXPECT_EQ((std::vector<std::string>{"Processing commandline: PageName=Home Mode=Test",
                                        "[Mode,Test]", "[PageName,Home]"}),
              parsed.lines);
}

TEST(ParseCommandLine, KeysOrderByCodeUnitSoCapitalsComeFirst) {
    const Parsed parsed = Parse(L"b=2 a=1 B=3");
    EXPECT_EQ((std::vector<std::string>{"Processing commandline: b=2 a=1 B=3", "[B,3]", "[a,1]",
                                        "[b,2]"}),
              parsed.lines);
}

TEST(ParseCommandLine, SplitsAtBlanksOnly) {
    // Leading, trailing and repeated blanks make empty tokens, which are dropped.
    EXPECT_EQ((CommandLineArguments{{L"A", L"1"}, {L"B", L"2"}}), Parse(L"  A=1   B=2 ").arguments);
    // A tab is an ordinary character: one token, the value runs to its end.
    EXPECT_EQ((CommandLineArguments{{L"PageName", L"Home\tMode=Test"}}),
              Parse(L"PageName=Home\tMode=Test").arguments);
    // Quotes do not group: the value is cut at the blank, the rest has no "=" and is dropped.
    EXPECT_EQ((CommandLineArguments{{L"PageName", L"\"My"}}),
              Parse(L"PageName=\"My Page\"").arguments);
}

TEST(ParseCommandLine, SplitsKeyAndValueAtTheFirstEqualsSign) {
    EXPECT_EQ((CommandLineArguments{{L"PageName", L"a=b"}}), Parse(L"PageName=a=b").arguments);
    EXPECT_EQ((CommandLineArguments{{L"PageName", L""}}), Parse(L"PageName=").arguments);
    const Parsed emptyKey = Parse(L"=value");
    EXPECT_EQ((CommandLineArguments{{L"", L"value"}}), emptyKey.arguments);
    EXPECT_EQ("[,value]", emptyKey.lines.back());
}

TEST(ParseCommandLine, FirstOccurrenceOfAKeyWinsSilently) {
    const Parsed parsed = Parse(L"PageName=A PageName=B");
    EXPECT_EQ((CommandLineArguments{{L"PageName", L"A"}}), parsed.arguments);
    EXPECT_EQ(2u, parsed.lines.size());
}

TEST(ParseCommandLine, KeysAreCaseSensitiveAndPrefixesAreOrdinaryCharacters) {
    const Parsed parsed = Parse(L"pagename=x -PageName=y /PageName=z");
    EXPECT_EQ(3u, parsed.arguments.size());
    EXPECT_EQ(parsed.arguments.end(), parsed.arguments.find(L"PageName"));
    EXPECT_EQ(L"y", parsed.arguments.at(L"-PageName"));
}

TEST(ParseCommandLine, TokensWithoutEqualsSignAreDroppedWithoutALine) {
    const Parsed parsed = Parse(L"verbose PageName=Home");
    EXPECT_EQ((CommandLineArguments{{L"PageName", L"Home"}}), parsed.arguments);
    EXPECT_EQ(2u, parsed.lines.size());
}
