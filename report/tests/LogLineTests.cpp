#include "report/LogLine.h"

#include <gtest/gtest.h>

#include "report/Message.h"
#include "report/Text.h"

TEST(ParseLogLine, ReadsTheStampTheCodeAndTheTextWithItsSeparators) {
    const auto line = ParseLogLine("261207|121954|999|a | b|");
    ASSERT_TRUE(line);
    EXPECT_EQ("2026-12-07 12:19:54", line->time.Text());
    EXPECT_EQ(999, line->code);
    EXPECT_EQ("a | b", line->text);
    EXPECT_EQ("", ParseLogLine("261207|121954|305||")->text);
}

TEST(ParseLogLine, RefusesWhatIsNotAWholeLine) {
    EXPECT_FALSE(ParseLogLine("261207|121954|999|no closing bar"));
    EXPECT_FALSE(ParseLogLine("261207|121954|99261207|121954|999|glued|"));  // a torn line
    EXPECT_FALSE(ParseLogLine("261307|121954|999|month 13|"));
    EXPECT_FALSE(ParseLogLine("260230|121954|999|30 February|"));
    EXPECT_TRUE(ParseLogLine("240229|235959|999|a leap day|"));
    EXPECT_FALSE(ParseLogLine("2612x7|121954|999|x|"));
    EXPECT_FALSE(ParseLogLine(""));
}

TEST(ParseLogFile, CountsEveryPieceItCannotRead) {
    const ParsedFile file = ParseLogFile(
        "261207|121954|305|Starting new UTC Logfile|\r\n"
        "\x89PNG garbage\r\n"
        "261207|121955|999|fine|\r\n"
        "261207|121955|999|cut sho");  // the power went
    ASSERT_EQ(2u, file.lines.size());
    EXPECT_EQ("fine", file.lines[1].text);
    EXPECT_EQ(2, file.unreadable);
    EXPECT_EQ(0, ParseLogFile("").unreadable);
}

TEST(UtcTime, OrdersAcrossMonthsYearsAndLeapDays) {
    const UtcTime lastOf2024{2024, 12, 31, 23, 59, 59};
    const UtcTime firstOf2025{2025, 1, 1, 0, 0, 0};
    EXPECT_EQ(1, firstOf2025.Seconds() - lastOf2024.Seconds());
    EXPECT_EQ(86400,
              (UtcTime{2024, 3, 1, 0, 0, 0}).Seconds() - (UtcTime{2024, 2, 29, 0, 0, 0}).Seconds());
    EXPECT_EQ(0, (UtcTime{1970, 1, 1, 0, 0, 0}).Seconds());
    // And back, across leap days and centuries.
    EXPECT_EQ("2024-02-29 23:59:59",
              UtcTime::FromSeconds(lastOf2024.Seconds() - 306 * 86400).Text());
    for (const std::int64_t seconds : {0LL, 951782400LL, 4107542399LL, 1796688000LL + 86399}) {
        EXPECT_EQ(seconds, UtcTime::FromSeconds(seconds).Seconds());
    }
}

TEST(RecogniseMessage, KnowsTheProgramsOwnWordingExactly) {
    EXPECT_EQ(
        MessageKind::kKioskGone,
        RecogniseMessage(999, "Vistalyne handle cannot be found, posting quit messsage").kind);
    EXPECT_EQ(MessageKind::kOther,
              RecogniseMessage(999, "Vistalyne handle cannot be found, posting quit message").kind);
    EXPECT_EQ(
        MessageKind::kRotationNotice,
        RecogniseMessage(306, "New Day, Creating New Log File. Shutting down this log file").kind);
    EXPECT_EQ(MessageKind::kOther,  // the right words with the wrong code are someone else's
              RecogniseMessage(999, "LogFile Destroy Method Called. Shutting down log file").kind);
    const Message pair = RecogniseMessage(999, "[PageName,a,b=c]");
    EXPECT_EQ(MessageKind::kCommandLinePair, pair.kind);
    EXPECT_EQ("PageName", pair.key);
    EXPECT_EQ("a,b=c", pair.value);
}

TEST(RecogniseMessage, AReceiptChangesNothingUnlessItIsOneOfTheTwoRepliesWithId100) {
    auto receipt = [](const std::string& id, const std::string& text) {
        return RecogniseMessage(
            999, "Received message from vistalyne | ID: " + id + " | Message: " + text);
    };
    EXPECT_FALSE(IsIgnoredReceipt(receipt("100", "sessionend")));
    EXPECT_FALSE(IsIgnoredReceipt(receipt("100", "sessionactive")));
    EXPECT_TRUE(IsIgnoredReceipt(receipt("101", "sessionend")));
    EXPECT_TRUE(IsIgnoredReceipt(receipt("100", "sessionend ")));
    EXPECT_TRUE(IsIgnoredReceipt(receipt("100", "a | Message: b")));
    EXPECT_EQ("a | Message: b", receipt("100", "a | Message: b").value);
}

TEST(Text, AnsiBytesBecomeUtf8AndUndefinedOnesTheReplacementMark) {
    EXPECT_EQ("caf\xC3\xA9 \xE2\x82\xAC", AnsiToUtf8("caf\xE9 \x80"));
    EXPECT_EQ("\xEF\xBF\xBD", AnsiToUtf8("\x81"));
    EXPECT_EQ("a,\"b\"\"c\",\"d\r\ne\"",
              CsvField("a") + "," + CsvField("b\"c") + "," + CsvField("d\r\ne"));
    EXPECT_EQ("&lt;a href=&quot;x&quot;&gt;&amp;&#39;\xEF\xBF\xBD",
              HtmlEscaped("<a href=\"x\">&'\x01"));
}

// Folder names are bytes on some systems; the JSON and the metrics must stay UTF-8.
TEST(Text, AnyBytesBecomeValidUtf8AndJsonStrings) {
    const std::pair<std::string, std::string> kCases[] = {
        {"caf\xC3\xA9 \xE2\x82\xAC \xF0\x9F\x98\x80", "caf\xC3\xA9 \xE2\x82\xAC \xF0\x9F\x98\x80"},
        {"caf\xE9!", "caf\xEF\xBF\xBD!"},                          // a lone Windows-1252 byte
        {"\xE2\x82", "\xEF\xBF\xBD\xEF\xBF\xBD"},                  // cut short
        {"\xC0\xAF", "\xEF\xBF\xBD\xEF\xBF\xBD"},                  // an overlong "/"
        {"\xED\xA0\x80", "\xEF\xBF\xBD\xEF\xBF\xBD\xEF\xBF\xBD"},  // a surrogate
        {"\xF4\x90\x80\x80", "\xEF\xBF\xBD\xEF\xBF\xBD\xEF\xBF\xBD\xEF\xBF\xBD"},  // past U+10FFFF
    };
    for (const auto& c : kCases) EXPECT_EQ(c.second, ValidUtf8(c.first)) << c.first;
    EXPECT_EQ("\"a\\\"b\\\\c\\n\\r\\t\\u0001\\u001b\xEF\xBF\xBD\"",
              JsonString("a\"b\\c\n\r\t\x01\x1B\xFF"));
}
