// The converter's run with its helper thread against the run without one,
// and its scout of a file in two parts against the scout of the whole, on
// random files of every code; each case prints its seed first.
#include <gtest/gtest.h>

#include <cstring>
#include <random>
#include <string>

#include "codec/piecewise.h"
#include "codec/pipeline.h"
#include "convert/helper_thread.h"
#include "memory_io.h"
#include "test_util.h"

namespace {

// A Shift-JIS text of kanji, kana, half-width katakana, ASCII, control
// bytes and line breaks of every kind, saved in `code` by the editor's
// save; now and then a byte of it is spoiled, or a zero is put in.
Bytes RandomFile(std::mt19937& rng, KanjiCode code)
{
    static const char* const pieces[] = {"\x8A\xBF", "\x82\xA0", "\x83\x41", "\xB1", "abc", " ", "\x1B", "\t",
                                         "\r\n",     "\n",       "\r",       "\n\r", "\x81\x5C", "\x87\x40"};
    Bytes text;
    const std::size_t n = rng() % 3000;
    for (std::size_t k = 0; k < n; ++k)
        text += pieces[rng() % (sizeof pieces / sizeof pieces[0])];
    const std::size_t growth = LineBreakGrowthOnSave(text.data(), text.size(), LineBreakCode::CrLf);
    std::uint32_t textSize = 0, outputSize = 0;
    EXPECT_TRUE(SaveBufferSizes(text.size(), growth, &textSize, &outputSize));
    std::vector<char> buffer(textSize), output(outputSize);
    std::memcpy(buffer.data(), text.data(), text.size());
    const SavedText saved = ConvertTextOnSave(buffer.data(), text.size(), buffer.size(), output.data(), output.size(),
                                              code, LineBreakCode::CrLf, nullptr, rng() % 4 == 0);
    Bytes file(saved.data, saved.length);
    if (!file.empty() && rng() % 3 == 0)
        file[rng() % file.size()] = static_cast<char>(rng() % 4 == 0 ? 0 : rng());
    return file;
}

struct Result {
    std::string bytes;
    PiecewiseConverter::Status status;
    KanjiCode kanji;
    LineBreakCode lineBreak;
    std::uint64_t replaced, leftOut, read;
};

Result Convert(const Bytes& file, KanjiCode kanji, LineBreakCode lineBreak, std::size_t piece, bool utf8,
               HelperThread* helper)
{
    Memory in{file.data(), file.size()};
    Result r;
    PiecewiseConverter c(kanji, lineBreak, piece);
    if (helper)
        c.UseHelper(helper->Helper());
    c.KnowUtf8(utf8);
    r.status = c.Run({&Memory::Read, &in}, {&Memory::Write, &r.bytes});
    r.kanji = c.kanji();
    r.lineBreak = c.lineBreak();
    r.replaced = c.replaced();
    r.leftOut = c.leftOut();
    r.read = c.bytesRead();
    return r;
}

TEST(PiecewiseConverter, HelperThreadGivesTheSameResults)
{
    const KanjiCode codes[] = {KanjiCode::ShiftJIS, KanjiCode::EUC, KanjiCode::JIS, KanjiCode::UTF8, KanjiCode::UTF16,
                               KanjiCode::UTF16BE};
    HelperThread helper;
    std::mt19937 seeds(20261210);
    for (int round = 0; round < 400; ++round) {
        const unsigned seed = seeds();
        std::printf("seed %u\n", seed);
        std::mt19937 rng(seed);
        const Bytes file = RandomFile(rng, codes[rng() % 6]);
        const KanjiCode kanji = static_cast<KanjiCode>(rng() % 7);
        const LineBreakCode lineBreak = static_cast<LineBreakCode>(rng() % 5);
        const std::size_t piece = 1 + rng() % (rng() % 2 ? 16 : 700);

        Memory whole{file.data(), file.size()};
        PiecewiseConverter scout(kanji, lineBreak, piece);
        const bool utf8 = scout.ScoutUtf8({&Memory::Read, &whole});
        if (file.size() > PiecewiseConverter::kStartLength) {
            const std::size_t cut =
                PiecewiseConverter::kStartLength + rng() % (file.size() - PiecewiseConverter::kStartLength);
            Memory head{file.data(), cut}, tail{file.data() + cut, file.size() - cut};
            PiecewiseConverter split(kanji, lineBreak, piece);
            split.UseHelper(helper.Helper());
            ASSERT_EQ(split.ScoutUtf8({&Memory::Read, &head}, {&Memory::Read, &tail}), utf8) << seed << " cut " << cut;
        }

        const Result alone = Convert(file, kanji, lineBreak, piece, utf8, nullptr);
        const Result helped = Convert(file, kanji, lineBreak, piece, utf8, &helper);
        ASSERT_EQ(helped.status, alone.status) << seed;
        ASSERT_EQ(Hex(helped.bytes), Hex(alone.bytes)) << seed;
        ASSERT_EQ(helped.kanji, alone.kanji) << seed;
        ASSERT_EQ(helped.lineBreak, alone.lineBreak) << seed;
        ASSERT_EQ(helped.replaced, alone.replaced) << seed;
        ASSERT_EQ(helped.leftOut, alone.leftOut) << seed;
        ASSERT_EQ(helped.read, alone.read) << seed;
    }
}

// A UTF-8 text cut inside a character, at a fault, and just after one: the
// scout in two parts answers as the scout of the whole, at every cut.
TEST(PiecewiseConverter, ScoutInTwoPartsAtEveryCut)
{
    HelperThread helper;
    const Bytes start(200, 'a');
    const Bytes texts[] = {
        start + "\xE6\xBC\xA2\xE5\xAD\x97\xF0\x9F\x98\x80\xC2\xA7 end",
        start + "\xE6\xBC\xA2\x80\xE5\xAD\x97",       // a stray continuation byte
        start + "\xE6\xBC\xA2\xE5\xAD",               // cut off at the end
        start + "\xE6\xBC\xA2\x80\x80\x80\x80 x",     // four continuation bytes
        start + "\xE6\xBC\xA2 zero\0\x80 after",      // a fault after the zero that ends the text
        start + "\xC2\xA7\xC2\xA7 no wide character",
        start + "\xE3\x81",                           // the end inside a character
    };
    for (const Bytes& text : texts) {
        Memory whole{text.data(), text.size()};
        PiecewiseConverter scout(KanjiCode::Auto, LineBreakCode::Auto, 5);
        const bool utf8 = scout.ScoutUtf8({&Memory::Read, &whole});
        for (std::size_t cut = PiecewiseConverter::kStartLength; cut < text.size(); ++cut) {
            Memory head{text.data(), cut}, tail{text.data() + cut, text.size() - cut};
            PiecewiseConverter split(KanjiCode::Auto, LineBreakCode::Auto, 5);
            split.UseHelper(helper.Helper());
            ASSERT_EQ(split.ScoutUtf8({&Memory::Read, &head}, {&Memory::Read, &tail}), utf8)
                << Hex(text) << " cut " << cut;
        }
    }
}

}  // namespace
