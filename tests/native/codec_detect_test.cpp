#include <gtest/gtest.h>

#include "test_util.h"

namespace {

struct DetectCase {
    const char* name;
    const char* hex;
    KanjiCode expected;
};

const DetectCase kDetectCases[] = {
    {"empty", "", KanjiCode::JIS},
    {"ascii without line break", "61 62 63", KanjiCode::JIS},
    {"ascii with escapes", "1B 24 42 30 21 1B 28 42", KanjiCode::JIS},
    {"shift-jis hiragana", "82 A0", KanjiCode::ShiftJIS},
    {"euc hiragana", "A4 A2", KanjiCode::EUC},
    {"half-width katakana pair reads as euc", "B1 B2", KanjiCode::EUC},
    {"first bytes E0-FF are no evidence", "E0 41 F0 42 FF 43", KanjiCode::JIS},
    {"lead byte last is no evidence", "61 81", KanjiCode::JIS},
    {"lead 0xA0 with trail", "A0 40", KanjiCode::ShiftJIS},
    {"euc after neutral bytes", "61 E0 41 B0 A1", KanjiCode::EUC},
    {"every position is visited", "E0 82 A0", KanjiCode::ShiftJIS},
    {"shift-jis kana with trail 0x7F is no evidence", "81 7F", KanjiCode::JIS},
    {"euc second byte 0xFF is no evidence", "A4 FF", KanjiCode::JIS},
    {"first decisive pair wins", "A4 A2 A4 A2 82 A0 82", KanjiCode::EUC},
    // The first answer checked against the whole text.
    {"EUC, but 82 is no EUC byte and all is Shift-JIS", "A4 A2 82 A0", KanjiCode::ShiftJIS},
    {"half-width katakana, then Shift-JIS kanji", "B1 B2 B3 8A BF 8E 9A", KanjiCode::ShiftJIS},
    {"katakana then ASCII reads both ways: EUC", "B1 B2 61", KanjiCode::EUC},
    {"no EUC byte, but 85 40 is no character either", "A4 A2 85 40", KanjiCode::EUC},
    {"a single shift first, all of it EUC", "8E B1 B4 C1", KanjiCode::EUC},
    {"8F first, all of it EUC", "8F F4 FB B4 C1", KanjiCode::EUC},
    {"a single shift first, then no EUC", "8E B1 8A BF", KanjiCode::ShiftJIS},
    {"Shift-JIS by a lead EUC never has", "82 A0 A4 A2", KanjiCode::ShiftJIS},
    {"a byte EUC never has before the EUC pair", "85 0D A4 A2", KanjiCode::EUC},
    {"a byte EUC never has before, all Shift-JIS", "B1 0D B1 B2 82 A0", KanjiCode::ShiftJIS},
    {"ends at the first zero", "61 00 82 A0", KanjiCode::JIS},
    {"high byte at a word boundary", "61 62 63 64 65 66 67 82 A0", KanjiCode::ShiftJIS},
    // UTF-8: a mark, or well-formed throughout with a character of three or
    // four bytes; anything else goes by the pairs above.
    {"byte-order mark alone", "EF BB BF", KanjiCode::UTF8},
    {"byte-order mark before ill-formed bytes", "EF BB BF 82 A0", KanjiCode::UTF8},
    {"hiragana", "E3 81 82 0D 0A", KanjiCode::UTF8},
    {"four-byte character", "61 F0 9F 98 80", KanjiCode::UTF8},
    {"highest code point", "F4 8F BF BF", KanjiCode::UTF8},
    {"private use and U+FFFF", "EE 80 80 EF BF BF", KanjiCode::UTF8},
    {"valid EUC and valid UTF-8 at once", "E5 A4 A7 E5 AD A6", KanjiCode::UTF8},
    {"two-byte characters only follow the old rule", "C3 A9", KanjiCode::EUC},
    {"two-byte only, no evidence", "C3 80 20", KanjiCode::JIS},
    {"overlong three-byte form", "E0 80 80 E3 81 82", KanjiCode::ShiftJIS},
    {"overlong two-byte form", "C0 AF E3 81 82", KanjiCode::EUC},
    {"surrogate", "ED A0 80 E3 81 82", KanjiCode::ShiftJIS},
    {"above U+10FFFF", "F4 90 80 80 E3 81 82", KanjiCode::ShiftJIS},
    {"cut off at the end", "E3 81 82 E3 81", KanjiCode::ShiftJIS},
    {"stray continuation byte", "E3 81 82 80", KanjiCode::ShiftJIS},
    {"F5 begins nothing", "E3 81 82 F5 80 80 80", KanjiCode::ShiftJIS},
    {"byte-order mark not at the start", "61 EF BB BF", KanjiCode::UTF8},
    {"mark cut short", "EF BB", KanjiCode::JIS},
    {"Shift-JIS hiragana", "82 A0 82 A2", KanjiCode::ShiftJIS},
    {"EUC hiragana", "A4 A2 A4 A4", KanjiCode::EUC},
    {"ends at the first zero", "E3 81 82 00 80", KanjiCode::UTF8},
};

TEST(DetectKanjiCode, Table)
{
    for (const auto& c : kDetectCases) {
        Bytes b = Unhex(c.hex);
        EXPECT_EQ(DetectKanjiCode(b.data(), b.size()), c.expected) << c.name;
    }
}

TEST(DetectKanjiCode, NeverReadsPastTheGivenSize)
{
    // A lead byte at the end of the buffer with a trail byte just outside it.
    Bytes b = Unhex("61 82 A0");
    EXPECT_EQ(DetectKanjiCode(b.data(), 2), KanjiCode::JIS);
}

TEST(EffectiveCodes, AutoTakesTheDetectedCode)
{
    EXPECT_EQ(EffectiveKanjiCode(KanjiCode::Auto, KanjiCode::EUC), KanjiCode::EUC);
    EXPECT_EQ(EffectiveKanjiCode(KanjiCode::JIS, KanjiCode::EUC), KanjiCode::JIS);
    EXPECT_EQ(EffectiveLineBreakCode(LineBreakCode::Auto, LineBreakCode::Cr), LineBreakCode::Cr);
    EXPECT_EQ(EffectiveLineBreakCode(LineBreakCode::Lf, LineBreakCode::Cr), LineBreakCode::Lf);
}

TEST(Codes, ValuesAreTheStoredOnes)
{
    EXPECT_EQ(static_cast<int>(KanjiCode::Auto), 0);
    EXPECT_EQ(static_cast<int>(KanjiCode::JIS), 1);
    EXPECT_EQ(static_cast<int>(KanjiCode::EUC), 2);
    EXPECT_EQ(static_cast<int>(KanjiCode::ShiftJIS), 3);
    EXPECT_EQ(static_cast<int>(LineBreakCode::LfCr), 1);
    EXPECT_EQ(static_cast<int>(LineBreakCode::Cr), 2);
    EXPECT_EQ(static_cast<int>(LineBreakCode::Lf), 3);
    EXPECT_EQ(static_cast<int>(LineBreakCode::CrLf), 4);
}

}  // namespace
