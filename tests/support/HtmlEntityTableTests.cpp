#include "support/HtmlEntityTable.h"

#include <gtest/gtest.h>

namespace {

int ValueOf(const wchar_t* key) {
    const auto entry = HtmlEntityTable.find(key);
    return entry == HtmlEntityTable.end() ? -1 : static_cast<int>(entry->second);
}

}  // namespace

TEST(HtmlEntityTable, FoldsTheListedPairsIntoOneHundredEightyNineKeys) {
    EXPECT_EQ(189u, HtmlEntityTable.size());
    EXPECT_EQ(HtmlEntityTable, BuildHtmlEntityTable());
}

TEST(HtmlEntityTable, FirstListedPairWinsACaseFoldedKey) {
    EXPECT_EQ(193, ValueOf(L"&AACUTE"));  // capital, not 225
    EXPECT_EQ(222, ValueOf(L"&THORN"));
    EXPECT_EQ(255, ValueOf(L"&YUML"));  // the small y, listed before capital Y (376)
    EXPECT_EQ(338, ValueOf(L"&OELIG"));
    EXPECT_EQ(352, ValueOf(L"&SCARON"));
    EXPECT_EQ(931, ValueOf(L"&SIGMA"));
    EXPECT_EQ(913, ValueOf(L"&ALPHA"));
    EXPECT_EQ(8224, ValueOf(L"&DAGGER"));
    EXPECT_EQ(8242, ValueOf(L"&PRIME"));
    EXPECT_EQ(8592, ValueOf(L"&LARR"));
    EXPECT_EQ(8596, ValueOf(L"&HARR"));
}

TEST(HtmlEntityTable, HoldsTheDeviationsAndTheDistinctNames) {
    EXPECT_EQ(32, ValueOf(L"&NBSP"));
    EXPECT_EQ(39, ValueOf(L"&APOS"));
    EXPECT_EQ(34, ValueOf(L"&QUOT"));
    EXPECT_EQ(962, ValueOf(L"&SIGMAF"));
    EXPECT_EQ(223, ValueOf(L"&SZLIG"));
    EXPECT_EQ(215, ValueOf(L"&TIMES"));
    EXPECT_EQ(9830, ValueOf(L"&DIAMS"));
    int largest = 0;
    for (const auto& entry : HtmlEntityTable) largest = std::max<int>(largest, entry.second);
    EXPECT_EQ(9830, largest);
}

TEST(HtmlEntityTable, KeysAreExact) {
    EXPECT_EQ(-1, ValueOf(L"&nbsp"));
    EXPECT_EQ(-1, ValueOf(L"&Aacute"));
    EXPECT_EQ(-1, ValueOf(L"NBSP"));
    EXPECT_EQ(-1, ValueOf(L"&NBSP;"));
}
