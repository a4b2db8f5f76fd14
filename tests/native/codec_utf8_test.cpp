// UTF-8 files: both passes byte for byte, the meter, the code page 932
// cells that Windows maps in its own way, and the round trip of Japanese
// text through UTF-8. (Detection has its vectors with the other codes'.)
#include <gtest/gtest.h>

#include <random>

#include "codec/cp932.h"
#include "codec/pipeline.h"
#include "codec/utf8.h"
#include "reference_codec.h"
#include "test_util.h"

namespace {

// Texts long enough for the sixteen-byte blocks, with every kind of
// character and fault at every offset, against the plain reading.
TEST(CheckUtf8, AgreesWithThePlainReading)
{
    const char* pieces[] = {
        "abcdefgh", "a", "\n", "\xE3\x81\x82", "\xE6\xBC\xA2", "\xC2\xA7", "\xDF\xBF", "\xF0\x9F\x98\x80",
        "\xF4\x8F\xBF\xBF", "\xE0\xA0\x80", "\xED\x9F\xBF", "\xEF\xBF\xBF", "\xF0\x90\x80\x80",
        // faults
        "\x80", "\xBF", "\xC0\xAF", "\xC1\xBF", "\xF5\x80\x80\x80", "\xFF", "\xED\xA0\x80", "\xE0\x80\x80",
        "\xF0\x80\x80\x80", "\xF4\x90\x80\x80", "\xE3\x81", "\xE3\x41", "\xC2",
    };
    const std::size_t kinds = sizeof pieces / sizeof pieces[0], faults = 13;
    std::mt19937 rng(16);
    for (int round = 0; round < 20000; ++round) {
        std::string text;
        const std::size_t n = rng() % 60;
        for (std::size_t k = 0; k < n; ++k) {
            // Faults are rare, so that long well-formed stretches occur.
            const std::size_t kind = rng() % 40 == 0 ? kinds - faults + rng() % faults : rng() % (kinds - faults);
            text += pieces[kind];
        }
        const utf8::Check got = utf8::CheckText(text.data(), text.size());
        const reference::Utf8Check want = reference::CheckUtf8(text);
        ASSERT_EQ(got.complete, want.complete) << Hex(text);
        ASSERT_EQ(got.invalid, want.invalid) << Hex(text);
        if (!want.invalid && want.complete == text.size()) {
            ASSERT_EQ(got.wide, want.wide) << Hex(text);
        }
        ASSERT_EQ(utf8::IsUtf8Text(text.data(), text.size()), reference::IsUtf8(text)) << Hex(text);
    }
}

struct LoadCase {
    const char* name;
    const char* in;
    const char* out;  // Shift-JIS, CR LF
    unsigned replaced;
    bool mark;
};

const LoadCase kLoadCases[] = {
    {"hiragana and LF", "E3 81 82 0A 61", "82 A0 0D 0A 61", 0, false},
    {"mark skipped", "EF BB BF E6 BC A2 E5 AD 97", "8A BF 8E 9A", 0, true},
    {"half-width katakana is one byte", "EF BD B1 E3 81 82", "B1 82 A0", 0, false},
    {"NEC row 13", "E2 91 A0 E2 85 A0 E3 81 82", "87 40 87 54 82 A0", 0, false},
    {"NEC duplicates take the JIS cell", "E2 89 92 E2 88 B5 E3 81 82", "81 E0 81 E6 82 A0", 0, false},
    {"IBM extension", "E2 85 B0 E7 BA 8A", "FA 40 FA 5C", 0, false},
    {"fullwidth tilde and minus", "EF BD 9E EF BC 8D", "81 60 81 7C", 0, false},
    {"private use to user-defined area", "EE 80 80 E3 81 82", "F0 40 82 A0", 0, false},
    {"two-byte character in code page 932", "C2 A7 E3 81 82", "81 98 82 A0", 0, false},
    {"character outside the BMP", "F0 A0 AE B7 E3 81 82", "81 AC 82 A0", 1, false},
    {"kanji outside JIS", "E4 B8 82 E3 81 82", "81 AC 82 A0", 1, false},
    {"hangul and emoji", "EA B0 80 F0 9F 98 80 E3 81 82", "81 AC 81 AC 82 A0", 2, false},
    {"wave dash has no cell of its own", "E3 80 9C E3 81 82", "81 AC 82 A0", 1, false},
    {"yen sign has none either", "C2 A5 E3 81 82", "81 AC 82 A0", 1, false},
    {"stray byte grows the text", "EF BB BF 80 61 FF", "81 AC 61 81 AC", 2, true},
    {"cut-off sequence is one piece", "EF BB BF 61 E3 81", "61 81 AC", 1, true},
    {"ill-formed piece, then a character", "EF BB BF E3 81 41 E3 81 82", "81 AC 41 82 A0", 1, true},
    {"surrogate is three pieces", "EF BB BF ED A0 80", "81 AC 81 AC 81 AC", 3, true},
    {"U+3013 itself is no replacement", "E3 80 93 E3 81 82", "81 AC 82 A0", 0, false},
};

TEST(LoadUtf8, Table)
{
    for (const auto& c : kLoadCases) {
        Bytes in = Unhex(c.in);
        std::vector<char> raw(in.begin(), in.end());
        raw.push_back(0);
        std::vector<char> converted(2 * in.size() + 128);
        LoadResult r = ConvertFileOnLoad(raw.data(), in.size(), converted.data(), converted.size(), nullptr);
        EXPECT_EQ(r.kanji, KanjiCode::UTF8) << c.name;
        EXPECT_EQ(Hex(Bytes(converted.data(), r.length)), c.out) << c.name;
        EXPECT_EQ(converted[r.length], 0) << c.name;
        EXPECT_EQ(r.replaced, c.replaced) << c.name;
        EXPECT_EQ(r.byteOrderMark, c.mark) << c.name;
    }
}

TEST(LoadUtf8, OtherCodesTellNoMarkAndReplaceNothing)
{
    const char* files[] = {"82 A0", "A4 A2", "1B 24 42 30 21", "61"};
    for (const char* hex : files) {
        Bytes in = Unhex(hex);
        std::vector<char> raw(in.begin(), in.end());
        raw.push_back(0);
        std::vector<char> converted(2 * in.size() + 128);
        LoadResult r = ConvertFileOnLoad(raw.data(), in.size(), converted.data(), converted.size(), nullptr);
        EXPECT_NE(r.kanji, KanjiCode::UTF8) << hex;
        EXPECT_FALSE(r.byteOrderMark) << hex;
        EXPECT_EQ(r.replaced, 0u) << hex;
    }
}

// Every stray byte doubles: the text grows into the room the load flow
// gives it and not a byte further.
TEST(LoadUtf8, StrayBytesFillTheEditorsBuffer)
{
    Bytes in = "\xEF\xBB\xBF" + Bytes(1000, '\x80') + "a";
    std::vector<char> raw(in.begin(), in.end());
    raw.push_back(0);
    std::vector<char> converted(2 * in.size() + 128, '\x55');
    LoadResult r = ConvertFileOnLoad(raw.data(), in.size(), converted.data(), converted.size(), nullptr);
    ASSERT_EQ(r.length, 2001u);
    EXPECT_EQ(r.replaced, 1000u);
    EXPECT_EQ(Hex(Bytes(converted.data() + 1996, 5)), "81 AC 81 AC 61");

    // With no room to grow, the bytes are dropped but still counted.
    Bytes tight = "\x80\x80\x80";
    std::vector<char> buffer(tight.begin(), tight.end());
    buffer.push_back(0);
    std::uint64_t replaced = 0;
    std::size_t n = utf8::ToShiftJis(buffer.data(), 0, 3, 4, nullptr, &replaced);
    EXPECT_EQ(replaced, 3u);
    EXPECT_LE(n, 3u);
    EXPECT_EQ(buffer[n], 0);
}

struct SaveCase {
    const char* name;
    const char* in;  // Shift-JIS
    const char* out;
    unsigned replaced;
};

const SaveCase kSaveCases[] = {
    {"ascii", "61 62 0D 0A", "61 62 0D 0A", 0},
    {"kanji", "8A BF 8E 9A", "E6 BC A2 E5 AD 97", 0},
    {"half-width katakana", "B1", "EF BD B1", 0},
    {"NEC row 13 and its duplicates", "87 40 87 90 ED 40 FA 5C", "E2 91 A0 E2 89 92 E7 BA 8A E7 BA 8A", 0},
    {"user-defined area", "F0 40 F9 FC", "EE 80 80 EE 9D 97", 0},
    {"Windows' single bytes", "80 A0 FD FF", "C2 80 EF A3 B0 EF A3 B1 EF A3 B3", 0},
    {"unassigned pair", "85 40 61", "E3 80 93 61", 1},
    {"lead byte last", "61 82", "61 E3 80 93", 1},
    {"lead before a byte that is no trail", "81 20", "E3 80 93 20", 1},
    {"pair through FC only", "FC 4B FC 4C", "E9 BB 91 E3 80 93", 1},
};

TEST(SaveUtf8, Table)
{
    for (const auto& c : kSaveCases) {
        for (bool mark : {false, true}) {
            Bytes in = Unhex(c.in);
            std::vector<char> text(in.begin(), in.end());
            text.resize(in.size() + 64);
            std::vector<char> output(KanjiOutputCapacity(text.size()), '\x55');
            SavedText saved = ConvertTextOnSave(text.data(), in.size(), text.size(), output.data(), output.size(),
                                                KanjiCode::UTF8, LineBreakCode::CrLf, nullptr, mark);
            EXPECT_EQ(Hex(Bytes(saved.data, saved.length)), (mark ? std::string("EF BB BF ") : "") + c.out)
                << c.name;
            EXPECT_EQ(saved.replaced, c.replaced) << c.name;
        }
    }
}

TEST(SaveUtf8, ShortOutputIsCutAtACharacter)
{
    Bytes in = Unhex("82 A0 82 A2 82 A4");
    for (std::size_t capacity = 1; capacity < 12; ++capacity) {
        std::vector<char> out(capacity, '\x55');
        std::size_t n = ConvertKanjiOnSave(in.data(), in.size(), out.data(), capacity, KanjiCode::UTF8, nullptr);
        ASSERT_LT(n, capacity);
        EXPECT_EQ(n % 3, 0u) << capacity;
        EXPECT_EQ(out[n], 0);
    }
}

// The load moves runs of one-byte characters down as the text shrinks,
// whole blocks at a time once it has shrunk by a block or more: every run
// length after every shrinkage, against the plain reading.
TEST(LoadUtf8, OneByteRunsAfterEveryShrinkage)
{
    for (std::size_t kanji = 0; kanji <= 40; ++kanji) {
        for (std::size_t run = 0; run <= 40; ++run) {
            std::string file;
            for (std::size_t k = 0; k < kanji; ++k)
                file += "\xE6\xBC\xA2";
            for (std::size_t k = 0; k < run; ++k)
                file += static_cast<char>('A' + k % 26);
            file += "\xE3\x81\x82";
            file += std::string(run % 7, 'z');
            Loaded loaded = LoadBytes(file, nullptr, nullptr);
            ASSERT_EQ(loaded.kanji, KanjiCode::UTF8);
            ASSERT_EQ(Hex(loaded.text), Hex(reference::Utf8OnLoad(file, false).text)) << kanji << " " << run;
        }
    }
}

// Both passes advance the meter at every character whose start lies on a
// multiple of 5 percent, as the other passes do at each of their steps.
TEST(Utf8Meter, AdvancesAsTheReference)
{
    std::mt19937 rng(7);
    for (int round = 0; round < 20; ++round) {
        Bytes file = round % 2 ? "\xEF\xBB\xBF" : "";
        std::size_t n = 50 + rng() % 400;
        for (std::size_t k = 0; k < n; ++k) {
            switch (rng() % 5) {
            case 0: file += static_cast<char>('a' + rng() % 26); break;
            case 1: file += "abcdefghij"; break;
            case 2: file += "\xE3\x81\x82"; break;
            case 3: file += "\xF0\x9F\x98\x80"; break;
            default: file += round % 2 ? "\x80" : "\xC2\xA7"; break;
            }
        }
        file += "\xE3\x81\x82";
        RecordingSink load;
        Loaded loaded = LoadBytes(file, nullptr, &load.sink);
        ASSERT_EQ(loaded.kanji, KanjiCode::UTF8);
        reference::Result expected = reference::Utf8OnLoad(file, round % 2 == 1);
        EXPECT_EQ(Hex(loaded.text), Hex(expected.text)) << round;
        EXPECT_EQ(load.advances, expected.advances) << round;

        RecordingSink save;
        Bytes saved = SaveBytes(loaded.text, KanjiCode::UTF8, LineBreakCode::CrLf, nullptr, &save.sink);
        reference::Result back = reference::Utf8OnSave(loaded.text, false);
        EXPECT_EQ(Hex(saved), Hex(back.text)) << round;
        EXPECT_EQ(save.advances, back.advances) << round;
    }
}

TEST(Cp932Table, CellsWhereWindowsChoosesOne)
{
    struct Cell {
        unsigned sjis;
        std::uint32_t unicode;
        unsigned back;  // the bytes the character goes back to
    };
    const Cell cells[] = {
        {0x82A0, 0x3042, 0x82A0}, {0xED40, 0x7E8A, 0xFA5C}, {0xFA5C, 0x7E8A, 0xFA5C}, {0x8790, 0x2252, 0x81E0},
        {0x879A, 0x2235, 0x81E6}, {0xFA5B, 0x2235, 0x81E6}, {0xFA4A, 0x2160, 0x8754}, {0xEEF9, 0xFFE2, 0x81CA},
        {0xFA54, 0xFFE2, 0x81CA}, {0x815F, 0xFF3C, 0x815F}, {0x8160, 0xFF5E, 0x8160}, {0xF040, 0xE000, 0xF040},
        {0xA0, 0xF8F0, 0xA0},     {0x80, 0x0080, 0x80},     {0xB1, 0xFF71, 0xB1},
    };
    for (const auto& c : cells) {
        std::uint32_t u = c.sjis < 0x100 ? cp932::SingleToUnicode(static_cast<unsigned char>(c.sjis))
                                         : cp932::PairToUnicode(static_cast<unsigned char>(c.sjis >> 8),
                                                                static_cast<unsigned char>(c.sjis));
        EXPECT_EQ(u, c.unicode) << std::hex << c.sjis;
        EXPECT_EQ(cp932::FromUnicode(c.unicode), c.back) << std::hex << c.unicode;
    }
    // One-way lookalikes of other converters have no bytes here.
    for (std::uint32_t u : {0x301Cu, 0x2212u, 0x2014u, 0x00A5u, 0x00A2u, 0x203Eu, 0x10000u})
        EXPECT_EQ(cp932::FromUnicode(u), 0u) << std::hex << u;
    EXPECT_EQ(cp932::PairToUnicode(0x85, 0x40), cp932::kNone);
    EXPECT_EQ(cp932::SingleToUnicode(0x82), cp932::kNone);
}

TEST(Cp932Table, EveryCharacterGoesBackToBytesThatGiveIt)
{
    unsigned mapped = 0;
    for (std::uint32_t u = 1; u < 0x10000; ++u) {
        unsigned sj = cp932::FromUnicode(u);
        if (!sj)
            continue;
        ++mapped;
        std::uint32_t back = sj < 0x100 ? cp932::SingleToUnicode(static_cast<unsigned char>(sj))
                                        : cp932::PairToUnicode(static_cast<unsigned char>(sj >> 8),
                                                               static_cast<unsigned char>(sj));
        ASSERT_EQ(back, u) << std::hex << u;
    }
    EXPECT_GT(mapped, 7500u);
}

// A JIS X 0208 character in Shift-JIS, from rows whose cells are all
// assigned: symbols (row 1), hiragana, katakana, and the kanji rows.
Bytes JisCharacter(std::mt19937& rng)
{
    unsigned row, cell;
    switch (rng() % 4) {
    case 0: row = 0x21; cell = 0x21 + rng() % 94; break;
    case 1: row = 0x24; cell = 0x21 + rng() % 83; break;
    case 2: row = 0x25; cell = 0x21 + rng() % 86; break;
    default:
        row = rng() % 2 ? 0x30 + rng() % 0x1F : 0x50 + rng() % 0x24;
        cell = 0x21 + rng() % 94;
        break;
    }
    char j[2] = {static_cast<char>(row), static_cast<char>(cell)};
    unsigned char s[2];
    sjis::FromJis(static_cast<unsigned char>(j[0]), static_cast<unsigned char>(j[1]), &s[0], &s[1]);
    return Bytes{static_cast<char>(s[0]), static_cast<char>(s[1])};
}

TEST(RoundTrip, Utf8WithEveryLineBreak)
{
    std::mt19937 rng(932);
    const LineBreakCode breaks[] = {LineBreakCode::LfCr, LineBreakCode::Cr, LineBreakCode::Lf, LineBreakCode::CrLf};
    for (int round = 0; round < 300; ++round) {
        Bytes text = "\x82\xA0";  // a hiragana: the text is UTF-8 even without a mark
        std::size_t n = 1 + rng() % 300;
        for (std::size_t k = 0; k < n; ++k) {
            switch (rng() % 6) {
            case 0: text += "\r\n"; break;
            case 1: text += static_cast<char>(0x20 + rng() % 0x5F); break;
            case 2: text += static_cast<char>(0xA1 + rng() % 0x3F); break;
            default: text += JisCharacter(rng); break;
            }
        }
        text += "\r\n";
        for (LineBreakCode lb : breaks) {
            for (bool mark : {false, true}) {
                std::vector<char> buffer(text.begin(), text.end());
                buffer.resize(text.size() + LineBreakGrowthOnSave(text.data(), text.size(), lb) + 64);
                std::vector<char> output(KanjiOutputCapacity(buffer.size()));
                SavedText saved = ConvertTextOnSave(buffer.data(), text.size(), buffer.size(), output.data(),
                                                    output.size(), KanjiCode::UTF8, lb, nullptr, mark);
                ASSERT_EQ(saved.replaced, 0u);
                Bytes file(saved.data, saved.length);
                std::vector<char> raw(file.begin(), file.end());
                raw.push_back(0);
                std::vector<char> converted(2 * file.size() + 128);
                LoadResult back = ConvertFileOnLoad(raw.data(), file.size(), converted.data(), converted.size(), nullptr);
                ASSERT_EQ(Hex(Bytes(converted.data(), back.length)), Hex(text)) << LineBreakCodeName(lb);
                ASSERT_EQ(back.kanji, KanjiCode::UTF8);
                ASSERT_EQ(back.lineBreak, lb);
                ASSERT_EQ(back.byteOrderMark, mark);
                ASSERT_EQ(back.replaced, 0u);
            }
        }
    }
}

}  // namespace
