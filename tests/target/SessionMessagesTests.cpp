#include "target/SessionMessages.h"

#include <gtest/gtest.h>

namespace {

COPYDATASTRUCT Data(const char* bytes, DWORD count, ULONG_PTR id = kSessionMessageId) {
    COPYDATASTRUCT data{};
    data.dwData = id;
    data.cbData = count;
    data.lpData = const_cast<char*>(bytes);
    return data;
}

}  // namespace

TEST(SessionStartText, SendsTheLowEightBitsOfEachCodeUnit) {
    EXPECT_EQ("sessionstart:", BuildSessionStartText(L""));
    EXPECT_EQ("sessionstart:Welcome", BuildSessionStartText(L"Welcome"));
    EXPECT_EQ("sessionstart:\x41", BuildSessionStartText(L"\x0141"));
    EXPECT_EQ("sessionstart:caf\xE9", BuildSessionStartText(L"caf\x00E9"));
}

TEST(ReceivedText, StopsAtTheFirstNulOrTheByteCount) {
    EXPECT_EQ("sessionend", ReceivedText(Data("sessionend", 11)));  // NUL counted
    EXPECT_EQ("sessionend", ReceivedText(Data("sessionend", 10)));
    EXPECT_EQ("session", ReceivedText(Data("sessionend", 7)));
    EXPECT_EQ("ab", ReceivedText(Data("ab\0cd", 5)));
    EXPECT_EQ("", ReceivedText(Data(nullptr, 10)));
    EXPECT_EQ("", ReceivedText(Data("sessionend", 0)));
}

TEST(ClassifyReply, ComparesWholeTextsExactly) {
    EXPECT_EQ(SessionReply::kSessionEnd, ClassifyReply("sessionend"));
    EXPECT_EQ(SessionReply::kSessionActive, ClassifyReply("sessionactive"));
    EXPECT_EQ(SessionReply::kNone, ClassifyReply("SessionEnd"));
    EXPECT_EQ(SessionReply::kNone, ClassifyReply("sessionend "));
    EXPECT_EQ(SessionReply::kNone, ClassifyReply("sessionactive\n"));
    EXPECT_EQ(SessionReply::kNone, ClassifyReply(""));
}

TEST(IdentifierForLog, ShowsTheLowThirtyTwoBitsSigned) {
    EXPECT_EQ(100, IdentifierForLog(100));
    EXPECT_EQ(101, IdentifierForLog(101));
    EXPECT_EQ(-1, IdentifierForLog(static_cast<ULONG_PTR>(0xFFFFFFFFu)));
}
