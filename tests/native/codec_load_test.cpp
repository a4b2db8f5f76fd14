#include <gtest/gtest.h>

#include <random>

#include "codec/pipeline.h"
#include "reference_codec.h"
#include "test_util.h"

namespace {

struct LoadCase {
    const char* name;
    Bytes file;
    const char* expectedHex;
    LineBreakCode lineBreak;
    KanjiCode kanji;
};

Bytes MacBinary(const Bytes& body, unsigned char byte74 = 0)
{
    Bytes header(128, 'M');
    header[0] = 0;
    header[74] = static_cast<char>(byte74);
    return header + body;
}

const std::vector<LoadCase>& LoadCases()
{
    static const std::vector<LoadCase> cases = {
        {"lone LF", Unhex("78 0A 79"), "78 0D 0A 79", LineBreakCode::Lf, KanjiCode::JIS},
        {"LF CR pair then LF", Unhex("0A 0D 0A"), "0D 0A 0D 0A", LineBreakCode::LfCr, KanjiCode::JIS},
        {"lone CR then CR LF", Unhex("0D 0D 0A"), "0D 0A 0D 0A", LineBreakCode::Cr, KanjiCode::JIS},
        {"CR LF", Unhex("61 0D 0A 62"), "61 0D 0A 62", LineBreakCode::CrLf, KanjiCode::JIS},
        {"first break decides", Unhex("78 0A 79 0D 0A"), "78 0D 0A 79 0D 0A", LineBreakCode::Lf, KanjiCode::JIS},
        {"CR at the end", Unhex("61 0D"), "61 0D 0A", LineBreakCode::Cr, KanjiCode::JIS},
        {"no line break", Unhex("61 62 63"), "61 62 63", LineBreakCode::CrLf, KanjiCode::JIS},
        {"empty", Bytes(), "", LineBreakCode::CrLf, KanjiCode::JIS},
        {"zero ends the text", Bytes("ab\0\ncd", 6), "61 62", LineBreakCode::CrLf, KanjiCode::JIS},
        {"macbinary header skipped", MacBinary("x\ny"), "78 0D 0A 79", LineBreakCode::Lf, KanjiCode::JIS},
        {"macbinary text ends at zero", MacBinary(Bytes("ab\0cd", 5)), "61 62", LineBreakCode::CrLf, KanjiCode::JIS},
        {"header only", MacBinary(""), "", LineBreakCode::CrLf, KanjiCode::JIS},
        {"first byte zero, byte 74 not", MacBinary("abc", 'x'), "", LineBreakCode::CrLf, KanjiCode::JIS},
        {"short data with first byte zero", Bytes("\0abc", 4), "", LineBreakCode::CrLf, KanjiCode::JIS},
        {"127 bytes with zeros at 0 and 74", Bytes(127, '\0'), "", LineBreakCode::CrLf, KanjiCode::JIS},
        {"JIS ESC $ B", Unhex("1B 24 42 30 21 1B 28 42 78"), "88 9F 78", LineBreakCode::CrLf, KanjiCode::JIS},
        {"JIS ESC $ ( D", Unhex("1B 24 28 44 30 21 1B 28 42"), "88 9F", LineBreakCode::CrLf, KanjiCode::JIS},
        {"JIS ESC $ @", Unhex("1B 24 40 30 21 1B 28 4A 61"), "88 9F 61", LineBreakCode::CrLf, KanjiCode::JIS},
        {"JIS announcement ESC & @ ESC $ B", Unhex("1B 26 40 1B 24 42 30 21"), "88 9F", LineBreakCode::CrLf, KanjiCode::JIS},
        {"JIS ends in two-byte mode", Unhex("1B 24 42 24 22 30 21"), "82 A0 88 9F", LineBreakCode::CrLf, KanjiCode::JIS},
        {"space and CR keep two-byte mode", Unhex("1B 24 42 30 21 20 30 21 0A 30 21"), "88 9F 20 88 9F 0D 0A 88 9F", LineBreakCode::Lf, KanjiCode::JIS},
        {"ESC ( I: half-width katakana", Unhex("1B 24 42 30 21 1B 28 49 31 32"), "88 9F B1 B2", LineBreakCode::CrLf, KanjiCode::JIS},
        {"ESC ( B ends katakana", Unhex("1B 28 49 31 5F 1B 28 42 31 0A"), "B1 DF 31 0D 0A", LineBreakCode::Lf, KanjiCode::JIS},
        {"katakana mode keeps line breaks and others", Unhex("1B 28 49 31 0A 60 1B 24 42 30 21"), "B1 0D 0A 60 88 9F", LineBreakCode::Lf, KanjiCode::JIS},
        {"unknown ESC kept", Unhex("61 1B 78 62"), "61 1B 78 62", LineBreakCode::CrLf, KanjiCode::JIS},
        {"unknown ESC $ kept", Unhex("61 1B 24 5A 62"), "61 1B 24 5A 62", LineBreakCode::CrLf, KanjiCode::JIS},
        {"ESC at the very end kept", Unhex("61 1B"), "61 1B", LineBreakCode::CrLf, KanjiCode::JIS},
        {"ESC $ at the very end kept", Unhex("61 1B 24"), "61 1B 24", LineBreakCode::CrLf, KanjiCode::JIS},
        {"ESC $ ( cut short skipped", Unhex("61 1B 24 28"), "61", LineBreakCode::CrLf, KanjiCode::JIS},
        {"ESC & cut short skipped", Unhex("61 1B 26 40"), "61", LineBreakCode::CrLf, KanjiCode::JIS},
        {"EUC pairs", Unhex("A4 A2 B0 A1"), "82 A0 88 9F", LineBreakCode::CrLf, KanjiCode::EUC},
        {"EUC lone lead at the end pairs with the terminator", Unhex("A4 A2 B0"), "82 A0 88 7D", LineBreakCode::CrLf, KanjiCode::EUC},
        {"EUC 8E: half-width katakana", Unhex("A4 A2 8E B1 61"), "82 A0 B1 61", LineBreakCode::CrLf, KanjiCode::EUC},
        {"EUC 8E before a byte that is no katakana copied", Unhex("A4 A2 8E 41"), "82 A0 8E 41", LineBreakCode::CrLf, KanjiCode::EUC},
        {"EUC 8F: IBM extension", Unhex("A4 A2 8F F3 F3 61"), "82 A0 FA 40 61", LineBreakCode::CrLf, KanjiCode::EUC},
        {"EUC 8F: user-defined area", Unhex("A4 A2 8F F5 A1"), "82 A0 F5 40", LineBreakCode::CrLf, KanjiCode::EUC},
        {"EUC 8F without a place in code page 932", Unhex("A4 A2 8F B0 A1 61"), "82 A0 81 AC 61", LineBreakCode::CrLf, KanjiCode::EUC},
        {"single shift first, all of it EUC", Unhex("8E B1 61"), "B1 61", LineBreakCode::CrLf, KanjiCode::EUC},
        {"EUC with escapes obeyed", Unhex("A4 A2 1B 24 42 30 21"), "82 A0 88 9F", LineBreakCode::CrLf, KanjiCode::EUC},
        {"Shift-JIS kept byte for byte", Unhex("82 A0 0A 88 9F 5C"), "82 A0 0D 0A 88 9F 5C", LineBreakCode::Lf, KanjiCode::ShiftJIS},
        {"EUC with LF CR", Unhex("B4 C1 0A 0D"), "8A BF 0D 0A", LineBreakCode::LfCr, KanjiCode::EUC},
    };
    return cases;
}

TEST(Load, Table)
{
    for (const auto& c : LoadCases()) {
        Loaded r = LoadBytes(c.file);
        EXPECT_EQ(Hex(r.text), c.expectedHex) << c.name;
        EXPECT_EQ(r.lineBreak, c.lineBreak) << c.name;
        EXPECT_EQ(r.kanji, c.kanji) << c.name;
    }
}

TEST(LoadProgress, ThousandBytesWithoutLineBreakAdvance201Times)
{
    RecordingSink sink;
    LoadBytes(Bytes(1000, 'a'), &sink.sink);
    ASSERT_EQ(sink.advances.size(), 201u);
    EXPECT_EQ(sink.CountOf(0), 9u);
    for (int p = 5; p <= 95; p += 5)
        EXPECT_EQ(sink.CountOf(p), 10u) << p;
    EXPECT_EQ(sink.CountOf(100), 2u);
    // Runs are reported in few calls, not one call per advance.
    EXPECT_LE(sink.calls, 2u * 21);
}

TEST(LoadProgress, EmptyTextReportsNothing)
{
    RecordingSink a, b;
    LoadBytes(Bytes(), &a.sink, &b.sink);
    EXPECT_TRUE(a.advances.empty());
    EXPECT_TRUE(b.advances.empty());
}

TEST(LoadProgress, ShiftJisKanjiPassDrawsNothing)
{
    RecordingSink sink;
    LoadBytes(Unhex("82 A0 61 62"), nullptr, &sink.sink);
    EXPECT_TRUE(sink.advances.empty());
}

TEST(LoadProgress, KanjiPassOnThousandBytesOfJis)
{
    RecordingSink sink;
    LoadBytes(Bytes(1000, 'a'), nullptr, &sink.sink);
    ASSERT_EQ(sink.advances.size(), 200u);
    EXPECT_EQ(sink.CountOf(0), 10u);
    EXPECT_EQ(sink.CountOf(100), 0u);
}

// Random files of the bytes that matter (line breaks, escapes, pair bytes,
// zeros) against the plain reference passes: same text, same code, same
// advances in the same order.
TEST(Load, AgreesWithReferenceOnRandomFiles)
{
    std::mt19937 rng(12345);
    const unsigned char alphabet[] = {0x0D, 0x0A, 0x1B, '$', '(', '&', '@', 'B', 'D', 'J', 'I', 'a', ' ',
                                      0x21, 0x30, 0x5F, 0x60, 0x7E, 0x7F, 0x80, 0x8E, 0x8F, 0xA0, 0xA1,
                                      0xB0, 0xDF, 0xE0, 0xF3, 0xFE, 0xFF, 0x00};
    for (int round = 0; round < 3000; ++round) {
        std::size_t n = rng() % (round < 2000 ? 40 : 600);
        Bytes file;
        bool withZero = rng() % 4 == 0;
        // Whole escape sequences now and then, so that every mode is met.
        const char* const sequences[] = {"\x1B(I", "\x1B(B", "\x1B$B", "\x1B(J"};
        for (std::size_t k = 0; k < n; ++k) {
            unsigned char c = alphabet[rng() % (sizeof alphabet - (withZero ? 0 : 1))];
            if (round % 3 == 0 && rng() % 8 != 0)
                c = 'a';  // long one-byte runs reach the word-at-a-time paths
            if (rng() % 12 == 0)
                file += sequences[rng() % 4];
            file += static_cast<char>(c);
        }
        if (rng() % 10 == 0 && file.size() < 128)
            file = MacBinary(file);
        RecordingSink s1, s2;
        Loaded got = LoadBytes(file, &s1.sink, &s2.sink);

        reference::Result r1 = reference::LineBreaksOnLoad(file);
        KanjiCode detected = DetectKanjiCode(r1.text.data(), r1.text.size());
        reference::Result r2 = reference::KanjiOnLoad(r1.text, detected);
        ASSERT_EQ(Hex(got.text), Hex(r2.text)) << "file " << Hex(file);
        ASSERT_EQ(static_cast<int>(got.lineBreak), r1.code) << Hex(file);
        ASSERT_EQ(got.kanji, detected);
        ASSERT_EQ(got.replaced, r2.replaced) << Hex(file);
        ASSERT_EQ(s1.advances, r1.advances) << Hex(file);
        ASSERT_EQ(s2.advances, r2.advances) << Hex(file);
    }
}

// EUC as it comes: runs of one-byte characters and of pairs, of every
// length, so that runs begin, end and break off at every offset of the
// sixteen-byte blocks; now and then a byte the blocks leave to the byte-wise
// rule (a pair's first byte before a one-byte character, SS2, FF, ESC, a
// second byte 80-A0). Same text and same advances as the reference.
TEST(Load, EucRunsAcrossBlocksAgreeWithReference)
{
    std::mt19937 rng(2026);
    const unsigned char odd[] = {0x8E, 0x8F, 0x80, 0xA0, 0xFF, 0x1B};
    for (int round = 0; round < 4000; ++round) {
        Bytes text;
        const std::size_t n = 16 + rng() % 300;
        const int disturb = round % 4 == 0 ? 0 : 40;
        while (text.size() < n) {
            const std::size_t run = rng() % 24;
            if (rng() % 2) {
                for (std::size_t k = 0; k < run; ++k)
                    text += static_cast<char>(" aZ\r\n~"[rng() % 6]);
            } else {
                for (std::size_t k = 0; k < 2 * run; ++k)
                    text += static_cast<char>(0xA1 + rng() % 94);
                if (rng() % 5 == 0)
                    text += static_cast<char>(0xA1 + rng() % 94);  // odd: its last byte pairs on
            }
            if (disturb && rng() % disturb == 0)
                text += static_cast<char>(odd[rng() % sizeof odd]);
        }
        std::vector<char> buf(text.begin(), text.end());
        buf.resize(text.size() + 2, 0);
        RecordingSink sink;
        std::size_t length = 0;
        const bool tracked = round % 2 == 0;
        ConvertKanjiOnLoadAs(KanjiCode::EUC, buf.data(), text.size(), buf.size(), tracked ? &sink.sink : nullptr,
                             &length);
        const reference::Result want = reference::KanjiOnLoad(text, KanjiCode::EUC);
        ASSERT_EQ(Hex(Bytes(buf.data(), length)), Hex(want.text)) << Hex(text);
        if (tracked) {
            ASSERT_EQ(sink.advances, want.advances) << Hex(text);
        }
    }
}

// Lines of every length in each line-break code, now and then one of
// another code, so that breaks fall at every offset of the sixteen-byte
// blocks and pairs span two blocks: same text, code and advances as the
// reference, also where the target cuts the text short.
TEST(Load, LinesAcrossBlocksAgreeWithReference)
{
    std::mt19937 rng(909);
    const char* const breaks[] = {"\n", "\r\n", "\r", "\n\r"};
    for (int round = 0; round < 4000; ++round) {
        const char* main = breaks[round % 4];
        Bytes file;
        // With a sink the pass runs in stretches of a percent: long texts
        // take the blocks there too.
        const bool tracked = round % 2 == 0;
        const std::size_t n = 32 + rng() % (round % 8 == 0 ? 8000 : 400);
        while (file.size() < n) {
            const std::size_t line = rng() % 40;
            for (std::size_t k = 0; k < line; ++k)
                file += static_cast<char>(rng() % 8 ? 'x' : 0xA4);
            file += rng() % 30 ? main : breaks[rng() % 4];
        }
        const bool shortTarget = round % 5 == 0;
        std::vector<char> target(2 * file.size() + 128, '\x55');
        const std::size_t capacity = shortTarget ? file.size() + rng() % file.size() : target.size();
        RecordingSink sink;
        std::size_t length = 0;
        const LineBreakCode code = ConvertLineBreaksOnLoad(file.data(), file.size(), target.data(), capacity,
                                                           tracked ? &sink.sink : nullptr, &length);
        for (std::size_t k = capacity; k < target.size(); ++k)
            ASSERT_EQ(target[k], '\x55') << "capacity " << capacity << " " << Hex(file);
        const Bytes fits = shortTarget ? file.substr(0, (capacity - 2) / 2) : file;
        const reference::Result want = reference::LineBreaksOnLoad(fits);
        ASSERT_EQ(Hex(Bytes(target.data(), length)), Hex(want.text)) << Hex(file);
        ASSERT_EQ(static_cast<int>(code), want.code ? want.code : static_cast<int>(LineBreakCode::CrLf)) << Hex(file);
        if (tracked) {
            ASSERT_EQ(sink.advances, want.advances) << Hex(file);
        }
    }
}

TEST(Load, ShortTargetIsNeverOverrun)
{
    Bytes file = "a\nb\nc\nd\n";
    for (std::size_t size = 0; size < 2 * file.size() + 4; ++size) {
        std::vector<char> target(size + 8, '\x77');
        ConvertLineBreaksOnLoad(file.data(), file.size(), target.data(), size, nullptr);
        for (std::size_t k = size; k < target.size(); ++k)
            ASSERT_EQ(target[k], '\x77') << "size " << size;
        if (size > 0) {
            ASSERT_NE(std::find(target.begin(), target.begin() + size, '\0'), target.begin() + size);
        }
    }
}

TEST(Load, KanjiPassWithoutRoomForGrowthKeepsTheLastByte)
{
    // One zero only after the text: the closing pair cannot grow it.
    Bytes text = Unhex("A4 A2 B0");
    std::vector<char> buf(text.begin(), text.end());
    buf.push_back(0);
    std::size_t length = 0;
    ConvertKanjiOnLoad(buf.data(), text.size(), buf.size(), nullptr, &length);
    EXPECT_EQ(Hex(Bytes(buf.data(), length)), "82 A0 B0");
    EXPECT_EQ(buf[length], 0);
}

}  // namespace

// The whole load of a file: UTF-16 by its mark before anything else, and a
// zero byte that ends the text counted with what it left out.
TEST(LoadFile, Utf16AndZeroBytes)
{
    const struct {
        const char* name;
        Bytes file;
        const char* expectedHex;
        KanjiCode kanji;
        LineBreakCode lineBreak;
        std::uint64_t replaced, leftOut;
    } cases[] = {
        {"UTF-16 little-endian", Unhex("FF FE 41 00 42 30 71 FF"), "41 82 A0 B1", KanjiCode::UTF16, LineBreakCode::CrLf, 0, 0},
        {"UTF-16 big-endian", Unhex("FE FF 00 41 30 42 FF 71"), "41 82 A0 B1", KanjiCode::UTF16BE, LineBreakCode::CrLf, 0, 0},
        {"line breaks after the units are bytes", Unhex("FF FE 41 00 0A 00 42 00 0D 00"), "41 0D 0A 42 0D 0A", KanjiCode::UTF16, LineBreakCode::Lf, 0, 0},
        {"a surrogate pair is one 〓", Unhex("FF FE 3D D8 00 DE 41 00"), "81 AC 41", KanjiCode::UTF16, LineBreakCode::CrLf, 1, 0},
        {"a lone surrogate is one 〓", Unhex("FF FE 00 DC 41 00 3D D8"), "81 AC 41 81 AC", KanjiCode::UTF16, LineBreakCode::CrLf, 2, 0},
        {"an odd last byte is one 〓", Unhex("FF FE 41 00 42"), "41 81 AC", KanjiCode::UTF16, LineBreakCode::CrLf, 1, 0},
        {"U+3013 itself is no replacement", Unhex("FF FE 13 30"), "81 AC", KanjiCode::UTF16, LineBreakCode::CrLf, 0, 0},
        {"Hangul has no place in Shift-JIS", Unhex("FF FE 00 AC"), "81 AC", KanjiCode::UTF16, LineBreakCode::CrLf, 1, 0},
        {"U+0000 ends the text", Unhex("FF FE 41 00 00 00 42 00"), "41", KanjiCode::UTF16, LineBreakCode::CrLf, 0, 4},
        {"the mark alone", Unhex("FE FF"), "", KanjiCode::UTF16BE, LineBreakCode::CrLf, 0, 0},
        {"a zero byte ends the text", Unhex("61 62 00 63 64"), "61 62", KanjiCode::JIS, LineBreakCode::CrLf, 0, 3},
        {"a MacBinary header's zeros leave nothing out", MacBinary("ab"), "61 62", KanjiCode::JIS, LineBreakCode::CrLf, 0, 0},
        {"EUC's 8F without a place is counted", Unhex("A4 A2 8F B0 A1"), "82 A0 81 AC", KanjiCode::EUC, LineBreakCode::CrLf, 1, 0},
    };
    for (const auto& c : cases) {
        std::vector<char> raw(c.file.size() + 64, '\x55');
        std::copy(c.file.begin(), c.file.end(), raw.begin());
        std::vector<char> converted(2 * c.file.size() + 128, '\x55');
        LoadResult r = ConvertFileOnLoad(raw.data(), c.file.size(), converted.data(), converted.size(), nullptr);
        EXPECT_EQ(Hex(Bytes(converted.data(), r.length)), c.expectedHex) << c.name;
        EXPECT_EQ(r.kanji, c.kanji) << c.name;
        EXPECT_EQ(r.lineBreak, c.lineBreak) << c.name;
        EXPECT_EQ(r.replaced, c.replaced) << c.name;
        EXPECT_EQ(r.leftOut, c.leftOut) << c.name;
    }
}
