// The text table's keys come from spreadsheet cells that are often not clean integers ("154.0", blanks,
// words), and a later row must win: these decide which text the operator sees.
#include <gtest/gtest.h>

#include <climits>
#include <string>

#include "app/text_map.h"

TEST(IdCell, ReadsLikeTheRuntimeIntegerConversion) {
    EXPECT_EQ(ParseIdCell(L"154"), 154);
    EXPECT_EQ(ParseIdCell(L"154.0"), 154);
    EXPECT_EQ(ParseIdCell(L" -12"), -12);
    EXPECT_EQ(ParseIdCell(L"\t\n 42"), 42);
    EXPECT_EQ(ParseIdCell(L"+7x"), 7);
    EXPECT_EQ(ParseIdCell(L"00170"), 170);
    EXPECT_EQ(ParseIdCell(L"abc"), 0);
    EXPECT_EQ(ParseIdCell(L""), 0);
    EXPECT_EQ(ParseIdCell(L"-"), 0);
    EXPECT_EQ(ParseIdCell(L"--5"), 0);
    EXPECT_EQ(ParseIdCell(L"- 5"), 0);
    EXPECT_EQ(ParseIdCell(L"1 2"), 1);
    EXPECT_EQ(ParseIdCell(L"\x0661\x0662"), 0);  // only ASCII digits count
}

TEST(IdCell, OutOfRangeSaturatesAsTheWindowsRuntimeDocuments) {
    EXPECT_EQ(ParseIdCell(L"2147483647"), INT_MAX);
    EXPECT_EQ(ParseIdCell(L"2147483648"), INT_MAX);
    EXPECT_EQ(ParseIdCell(L"-2147483648"), INT_MIN);
    EXPECT_EQ(ParseIdCell(L"-2147483649"), INT_MIN);
    EXPECT_EQ(ParseIdCell(L"4294967450"), INT_MAX);  // would wrap to 154 in 32 bits
    EXPECT_EQ(ParseIdCell(std::wstring(5000, L'9')), INT_MAX);
    EXPECT_EQ(ParseIdCell(L"-" + std::wstring(5000, L'9')), INT_MIN);
    EXPECT_EQ(ParseIdCell(std::wstring(5000, L'0') + L"154"), 154);
}

TEST(TextMap, StoresRowsUnderTheirDecimalIdAndTheLaterRowWins) {
    CTextMap map;
    EXPECT_TRUE(map.Empty());
    EXPECT_EQ(map.Find(154), L"");

    map.StoreRow(L"154.0", L"ID");
    map.StoreRow(L"170", L"first");
    map.StoreRow(L" 170", L"second");
    map.StoreRow(L"abc", L"not a number");
    EXPECT_FALSE(map.Empty());
    EXPECT_EQ(map.Size(), 3u);
    EXPECT_EQ(map.Find(154), L"ID");
    EXPECT_EQ(map.Find(170), L"second");
    EXPECT_EQ(map.Find(0), L"not a number");
    EXPECT_EQ(map.Find(155), L"");

    map.Clear();
    EXPECT_TRUE(map.Empty());
    EXPECT_EQ(map.Find(154), L"");
}

TEST(TextMap, KeepsEmptyTextsAndNegativeKeysOutOfReach) {
    CTextMap map;
    map.StoreRow(L"189", L"Patient");
    map.StoreRow(L"189", L"");  // an empty cell replaces: the caller then shows the built-in text
    map.StoreRow(L"-1", L"minus one");
    EXPECT_EQ(map.Size(), 2u);
    EXPECT_EQ(map.Find(189), L"");
    EXPECT_EQ(map.Find(4294967295u), L"");  // ids are unsigned: "-1" is not their decimal form

    std::wstring longText(100000, L'x');
    map.StoreRow(L"200", longText);
    EXPECT_EQ(map.Find(200), longText);
}

TEST(Language, HexIdsParseAndEveryLanguageReadsTheEnglishSheet) {
    EXPECT_EQ(ParseLanguageId(L"0412"), 1042);
    EXPECT_EQ(ParseLanguageId(L"0409"), 1033);
    EXPECT_EQ(ParseLanguageId(L"0c0A"), 3082);
    EXPECT_EQ(ParseLanguageId(L"04x2"), 4);
    EXPECT_EQ(ParseLanguageId(L""), -1);
    EXPECT_EQ(ParseLanguageId(L"zz"), -1);
    EXPECT_EQ(ParseLanguageId(L"FFFFFFFFF"), -1);

    for (int lang : {1042, 1041, 2052, 1028, 1033, 3082, -1}) {
        EXPECT_EQ(SheetNameForLanguage(lang), L"English") << lang;
    }
}
