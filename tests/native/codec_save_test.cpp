#include <gtest/gtest.h>

#include <random>

#include "codec/pipeline.h"
#include "reference_codec.h"
#include "test_util.h"

namespace {

struct SaveCase {
    const char* name;
    const char* textHex;
    KanjiCode kanji;
    LineBreakCode lineBreak;
    const char* expectedHex;
};

const SaveCase kSaveCases[] = {
    {"start values write the text unchanged", "82 A0 0D 0A 61", KanjiCode::ShiftJIS, LineBreakCode::CrLf, "82 A0 0D 0A 61"},
    {"CR LF to LF", "78 0D 0A 79", KanjiCode::ShiftJIS, LineBreakCode::Lf, "78 0A 79"},
    {"CR LF to LF CR", "78 0D 0A 79", KanjiCode::ShiftJIS, LineBreakCode::LfCr, "78 0A 0D 79"},
    {"CR LF to CR", "78 0D 0A 79", KanjiCode::ShiftJIS, LineBreakCode::Cr, "78 0D 79"},
    {"lone LF stays", "78 0A 79", KanjiCode::ShiftJIS, LineBreakCode::Cr, "78 0A 79"},
    {"lone CR keeps the next byte (LF)", "61 0D 62", KanjiCode::ShiftJIS, LineBreakCode::Lf, "61 0A 62"},
    {"lone CR keeps the next byte (CR)", "61 0D 62", KanjiCode::ShiftJIS, LineBreakCode::Cr, "61 0D 62"},
    {"lone CR grows to LF CR", "61 0D 62 0D", KanjiCode::ShiftJIS, LineBreakCode::LfCr, "61 0A 0D 62 0A 0D"},
    {"lone CR stays under CR LF", "61 0D 62", KanjiCode::ShiftJIS, LineBreakCode::CrLf, "61 0D 62"},
    {"JIS opens with ESC $ B", "8A BF 0D 0A", KanjiCode::JIS, LineBreakCode::CrLf, "1B 24 42 34 41 1B 28 42 0D 0A"},
    {"EUC", "8A BF 0D 0A", KanjiCode::EUC, LineBreakCode::CrLf, "B4 C1 0D 0A"},
    {"two pairs share one escape", "88 9F 82 A0 61", KanjiCode::JIS, LineBreakCode::CrLf, "1B 24 42 30 21 24 22 1B 28 42 61"},
    {"text ending in a pair ends in its JIS pair", "61 88 9F", KanjiCode::JIS, LineBreakCode::CrLf, "61 1B 24 42 30 21"},
    {"line break after a pair in JIS", "88 9F 0D 0A", KanjiCode::JIS, LineBreakCode::Lf, "1B 24 42 30 21 1B 28 42 0A"},
    {"half-width katakana to EUC after 8E", "B1 61 DF", KanjiCode::EUC, LineBreakCode::CrLf, "8E B1 61 8E DF"},
    {"half-width katakana to JIS in ESC ( I, closed at the end", "B1", KanjiCode::JIS, LineBreakCode::CrLf, "1B 28 49 31 1B 28 42"},
    {"half-width katakana to Shift-JIS", "B1", KanjiCode::ShiftJIS, LineBreakCode::CrLf, "B1"},
    {"a run of katakana shares one escape", "B1 DF 61", KanjiCode::JIS, LineBreakCode::CrLf, "1B 28 49 31 5F 1B 28 42 61"},
    {"katakana after a pair", "88 9F B1", KanjiCode::JIS, LineBreakCode::CrLf, "1B 24 42 30 21 1B 28 49 31 1B 28 42"},
    {"a pair after katakana", "B1 88 9F", KanjiCode::JIS, LineBreakCode::CrLf, "1B 28 49 31 1B 24 42 30 21"},
    {"A0 and FD have no place in 7-bit JIS", "A0 FD", KanjiCode::JIS, LineBreakCode::CrLf, "1B 24 42 22 2E 22 2E"},
    {"A0 stays in EUC, FD becomes 〓", "A0 FD", KanjiCode::EUC, LineBreakCode::CrLf, "A0 A2 AE"},
    {"lead byte last is a one-byte character", "61 82", KanjiCode::EUC, LineBreakCode::CrLf, "61 82"},
    {"lead without trail has no place in JIS", "82 0D 0A", KanjiCode::JIS, LineBreakCode::CrLf, "1B 24 42 22 2E 1B 28 42 0D 0A"},
    {"second-half row", "82 A0", KanjiCode::EUC, LineBreakCode::CrLf, "A4 A2"},
    {"trail 0x80 and above", "83 80", KanjiCode::EUC, LineBreakCode::CrLf, "A5 E0"},
    {"upper lead bytes", "E0 40", KanjiCode::EUC, LineBreakCode::CrLf, "DF A1"},
    {"user-defined F040 as EUC-JP-MS writes it", "F0 40", KanjiCode::EUC, LineBreakCode::CrLf, "F5 A1"},
    {"user-defined F540 behind 8F", "F5 40", KanjiCode::EUC, LineBreakCode::CrLf, "8F F5 A1"},
    {"user-defined F240 has no place in EUC", "F2 40", KanjiCode::EUC, LineBreakCode::CrLf, "A2 AE"},
    {"IBM extension 髙 by its JIS X 0212 pair", "FB FC", KanjiCode::EUC, LineBreakCode::CrLf, "8F F4 FB"},
    {"IBM extension 髙 in JIS as its NEC-selected twin", "FB FC", KanjiCode::JIS, LineBreakCode::CrLf, "1B 24 42 7C 62"},
    {"empty", "", KanjiCode::JIS, LineBreakCode::Lf, ""},
};

TEST(Save, Table)
{
    for (const auto& c : kSaveCases) {
        Bytes out = SaveBytes(Unhex(c.textHex), c.kanji, c.lineBreak);
        EXPECT_EQ(Hex(out), c.expectedHex) << c.name;
    }
}

TEST(SaveProgress, ThousandBytesAdvance200TimesAndNeverTo100)
{
    RecordingSink lineBreaks, kanji;
    SaveBytes(Bytes(1000, 'a'), KanjiCode::EUC, LineBreakCode::Lf, &lineBreaks.sink, &kanji.sink);
    for (const RecordingSink* s : {&lineBreaks, &kanji}) {
        ASSERT_EQ(s->advances.size(), 200u);
        for (int p = 0; p <= 95; p += 5)
            EXPECT_EQ(s->CountOf(p), 10u) << p;
        EXPECT_EQ(s->CountOf(100), 0u);
    }
}

TEST(SaveProgress, CrLfTargetAndEmptyTextDrawNothing)
{
    RecordingSink a, b, c;
    SaveBytes(Bytes(1000, 'a'), KanjiCode::ShiftJIS, LineBreakCode::CrLf, &a.sink, nullptr);
    SaveBytes(Bytes(), KanjiCode::JIS, LineBreakCode::Lf, &b.sink, &c.sink);
    EXPECT_TRUE(a.advances.empty());
    EXPECT_TRUE(b.advances.empty());
    EXPECT_TRUE(c.advances.empty());
}

TEST(Save, NoWrittenByteIsZero)
{
    Bytes all;
    for (int c = 1; c < 256; ++c)
        for (int d = 1; d < 256; d += 7) {
            all += static_cast<char>(c);
            all += static_cast<char>(d);
        }
    for (KanjiCode k : {KanjiCode::JIS, KanjiCode::EUC, KanjiCode::ShiftJIS}) {
        Bytes out = SaveBytes(all, k, LineBreakCode::CrLf);
        EXPECT_EQ(out.find('\0'), Bytes::npos);
    }
}

TEST(Save, AgreesWithReferenceOnRandomTexts)
{
    std::mt19937 rng(777);
    const unsigned char alphabet[] = {0x0D, 0x0A, 'a', ' ', 0x40, 0x7E, 0x7F, 0x80, 0x81, 0x82,
                                      0x9F, 0xA0, 0xB1, 0xDF, 0xE0, 0xEA, 0xFC, 0xFD, 0xFE, 0xFF};
    const LineBreakCode breaks[] = {LineBreakCode::CrLf, LineBreakCode::Cr, LineBreakCode::Lf, LineBreakCode::LfCr};
    const KanjiCode kanjis[] = {KanjiCode::ShiftJIS, KanjiCode::EUC, KanjiCode::JIS};
    for (int round = 0; round < 3000; ++round) {
        std::size_t n = rng() % (round < 2000 ? 40 : 700);
        Bytes text;
        for (std::size_t k = 0; k < n; ++k)
            text += (round % 3 == 0 && rng() % 8 != 0) ? 'a' : static_cast<char>(alphabet[rng() % sizeof alphabet]);
        LineBreakCode lb = breaks[rng() % 4];
        KanjiCode kc = kanjis[rng() % 3];
        RecordingSink s1, s2;
        Bytes got = SaveBytes(text, kc, lb, &s1.sink, &s2.sink);
        reference::Result r1 = reference::LineBreaksOnSave(text, lb);
        reference::Result r2 = reference::KanjiOnSave(r1.text, kc);
        ASSERT_EQ(Hex(got), Hex(r2.text)) << Hex(text);
        ASSERT_EQ(s1.advances, r1.advances) << Hex(text);
        ASSERT_EQ(s2.advances, r2.advances) << Hex(text);
    }
}

TEST(Save, LoneCrWithoutRoomStaysACr)
{
    // A text buffer with no slack: LF CR for a lone CR does not fit.
    Bytes text = "a\rb";
    std::vector<char> buf(text.begin(), text.end());
    buf.push_back(0);
    std::size_t n = ConvertLineBreaksOnSave(buf.data(), text.size(), buf.size(), LineBreakCode::LfCr, nullptr);
    EXPECT_EQ(Hex(Bytes(buf.data(), n)), "61 0D 62");
}

TEST(Save, ShortOutputIsNeverOverrun)
{
    Bytes text = Unhex("88 9F 61 88 9F 0D 0A 82 A0 62 B1 B2 88 9F B1");
    for (std::size_t size = 0; size < 4 * text.size() + 4; ++size) {
        std::vector<char> out(size + 8, '\x77');
        std::size_t n = ConvertKanjiOnSave(text.data(), text.size(), out.data(), size, KanjiCode::JIS, nullptr);
        for (std::size_t k = size; k < out.size(); ++k)
            ASSERT_EQ(out[k], '\x77') << "size " << size;
        if (size > 0) {
            ASSERT_LT(n, size);
            ASSERT_EQ(out[n], 0);
        }
    }
}

}  // namespace

// UTF-16 is written behind its mark in the order asked, as a save under
// Auto writes a UTF-16 file back.
TEST(Save, Utf16BehindItsMark)
{
    const Bytes text = Unhex("41 82 A0 B1 0D 0A 85 40");  // 85 40: no character in code page 932
    for (KanjiCode code : {KanjiCode::UTF16, KanjiCode::UTF16BE}) {
        std::vector<char> buffer(text.begin(), text.end());
        buffer.resize(text.size() + 64);
        std::vector<char> output(KanjiOutputCapacity(buffer.size()));
        SavedText saved = ConvertTextOnSave(buffer.data(), text.size(), buffer.size(), output.data(), output.size(), code,
                                            LineBreakCode::Lf, nullptr, WritesByteOrderMark(code, false));
        EXPECT_EQ(Hex(Bytes(saved.data, saved.length)),
                  code == KanjiCode::UTF16 ? "FF FE 41 00 42 30 71 FF 0A 00 13 30" : "FE FF 00 41 30 42 FF 71 00 0A 30 13");
        EXPECT_EQ(saved.replaced, 1u);
    }
}
