// Saving a text in any of the twelve code combinations and loading the file
// again gives back the same internal text and the codes that were written.
#include <gtest/gtest.h>

#include <random>

#include "codec/pipeline.h"
#include "reference_codec.h"
#include "test_util.h"

namespace {

// A JIS X 0208 character (row and cell 0x21-0x7E) in Shift-JIS, by the
// textbook formula, independent of the codec's tables.
Bytes ShiftJisOf(unsigned row, unsigned cell)
{
    unsigned s1 = (row + 1) / 2 + (row <= 0x5E ? 0x70 : 0xB0);
    unsigned s2 = (row & 1) ? cell + (cell <= 0x5F ? 0x1F : 0x20) : cell + 0x7E;
    return Bytes{static_cast<char>(s1), static_cast<char>(s2)};
}

Bytes RandomText(std::mt19937& rng)
{
    // Starts with a hiragana so that the kanji code is always detectable,
    // and holds a line break so that the line-break code is.
    Bytes t = ShiftJisOf(0x24, 0x21 + rng() % 0x53);
    std::size_t n = 1 + rng() % 300;
    for (std::size_t k = 0; k < n; ++k) {
        switch (rng() % 6) {
        case 0: t += "\r\n"; break;
        case 1: t += static_cast<char>(0x20 + rng() % 0x5F); break;
        case 2: t += ShiftJisOf(0x21 + rng() % 8, 0x21 + rng() % 0x5E); break;
        default: t += ShiftJisOf(0x30 + rng() % 0x44, 0x21 + rng() % 0x5E); break;
        }
    }
    return t + "\r\n";
}

TEST(ShiftJisOf, MatchesKnownCharacters)
{
    EXPECT_EQ(Hex(ShiftJisOf(0x30, 0x21)), "88 9F");  // 亜
    EXPECT_EQ(Hex(ShiftJisOf(0x24, 0x22)), "82 A0");  // あ
    EXPECT_EQ(Hex(ShiftJisOf(0x25, 0x60)), "83 80");  // ム
    EXPECT_EQ(Hex(ShiftJisOf(0x5F, 0x21)), "E0 40");
}

TEST(RoundTrip, EveryCodeCombination)
{
    std::mt19937 rng(4242);
    const KanjiCode kanjis[] = {KanjiCode::JIS, KanjiCode::EUC, KanjiCode::ShiftJIS};
    const LineBreakCode breaks[] = {LineBreakCode::LfCr, LineBreakCode::Cr, LineBreakCode::Lf, LineBreakCode::CrLf};
    for (int round = 0; round < 200; ++round) {
        Bytes text = RandomText(rng);
        for (KanjiCode k : kanjis) {
            for (LineBreakCode lb : breaks) {
                Bytes file = SaveBytes(text, k, lb);
                Loaded back = LoadBytes(file);
                ASSERT_EQ(Hex(back.text), Hex(text)) << KanjiCodeName(k) << " " << LineBreakCodeName(lb);
                ASSERT_EQ(back.kanji, k);
                ASSERT_EQ(back.lineBreak, lb);
            }
        }
    }
}

TEST(RoundTrip, DocumentFunctionsMatchThePasses)
{
    std::mt19937 rng(99);
    Bytes text = RandomText(rng);
    Bytes file = SaveBytes(text, KanjiCode::EUC, LineBreakCode::Lf);
    std::uint32_t rawSize = 0, convertedSize = 0;
    ASSERT_TRUE(LoadBufferSizes(file.size(), &rawSize, &convertedSize));
    std::vector<char> converted(convertedSize);
    unsigned begins = 0, ends = 0;
    struct Counter { unsigned* b; unsigned* e; } counter{&begins, &ends};
    PassObserver observer{[](void* c) { ++*static_cast<Counter*>(c)->b; },
                          [](void* c) { ++*static_cast<Counter*>(c)->e; },
                          {nullptr, &counter}};
    LoadResult r = ConvertFileOnLoad(file.data(), file.size(), converted.data(), converted.size(), &observer);
    EXPECT_EQ(begins, 2u);
    EXPECT_EQ(ends, 2u);
    EXPECT_EQ(r.kanji, KanjiCode::EUC);
    EXPECT_EQ(r.lineBreak, LineBreakCode::Lf);
    ASSERT_EQ(r.length, text.size());
    EXPECT_EQ(Hex(Bytes(converted.data(), r.length)), Hex(text));

    std::uint32_t textSize = 0, outputSize = 0;
    ASSERT_TRUE(SaveBufferSizes(r.length, 0, &textSize, &outputSize));
    converted.resize(std::max<std::size_t>(converted.size(), textSize));
    std::vector<char> output(outputSize);
    SavedText saved = ConvertTextOnSave(converted.data(), r.length, converted.size(), output.data(), output.size(),
                                        KanjiCode::EUC, LineBreakCode::Lf, &observer);
    EXPECT_EQ(begins, 4u);
    EXPECT_EQ(ends, 4u);
    EXPECT_EQ(Hex(Bytes(saved.data, saved.length)), Hex(file));

    // Shift-JIS is the text itself, with or without a meter: the meter's
    // pass only reports progress and copies nothing.
    int advances = 0;
    PassObserver meter{nullptr, nullptr, {[](void* c, int, std::uint32_t n) { *static_cast<int*>(c) += n; }, &advances}};
    const PassObserver* observers[] = {nullptr, &meter};
    for (const PassObserver* o : observers) {
        Bytes sjis = text;
        sjis.push_back('\0');
        saved = ConvertTextOnSave(&sjis[0], text.size(), sjis.size(), nullptr, 0, KanjiCode::ShiftJIS,
                                  LineBreakCode::CrLf, o);
        EXPECT_EQ(saved.data, sjis.data());
        EXPECT_EQ(Hex(Bytes(saved.data, saved.length)), Hex(text));
    }
    EXPECT_EQ(advances, static_cast<int>(reference::KanjiOnSave(text, KanjiCode::ShiftJIS).advances.size()));
}

TEST(BufferSizes, RefuseWhatDoesNotFit32Bits)
{
    std::uint32_t a = 0, b = 0;
    EXPECT_TRUE(LoadBufferSizes(0, &a, &b));
    EXPECT_EQ(a, 64u);
    EXPECT_EQ(b, 128u);
    EXPECT_TRUE(LoadBufferSizes(1000, &a, &b));
    EXPECT_EQ(a, 1064u);
    EXPECT_EQ(b, 2128u);
    EXPECT_TRUE(LoadBufferSizes((0xFFFFFFFFull - 128) / 2, &a, &b));
    EXPECT_FALSE(LoadBufferSizes((0xFFFFFFFFull - 128) / 2 + 1, &a, &b));
    EXPECT_FALSE(LoadBufferSizes(0x100000000ull, &a, &b));
    EXPECT_TRUE(SaveBufferSizes(100, 0, &a, &b));
    EXPECT_EQ(a, 164u);
    EXPECT_EQ(b, 820u);
    EXPECT_TRUE(SaveBufferSizes(0xFFFFFFFFull / 5 - 64, 0, &a, &b));
    EXPECT_FALSE(SaveBufferSizes(0xFFFFFFFFull / 5 - 63, 0, &a, &b));
}

}  // namespace
