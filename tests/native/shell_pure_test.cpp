// The window's arithmetic and texts that need no Windows.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "app/cmdline.h"
#include "app/layout.h"
#include "app/status.h"
#include "files/meter_geometry.h"
#include "test_util.h"

namespace {

TEST(ParseCommandLine, Rules)
{
    const struct {
        const char* line;
        const char* path;
        bool fits;
    } cases[] = {
        {"", "", true},
        {"C:\\text\\a.txt", "C:\\text\\a.txt", true},
        {"C:\\my files\\a b.txt", "C:\\my files\\a b.txt", true},  // unquoted: taken whole
        {"\"C:\\my files\\a.txt\" --other words", "C:\\my files\\a.txt", true},
        {"\"C:\\unterminated quote", "C:\\unterminated quote", true},
        {"\"", "", true},  // a lone quote: empty path
        {"\"\"", "", true},
    };
    for (const auto& c : cases) {
        char path[260] = "garbage";
        EXPECT_EQ(ParseCommandLine(c.line, path, sizeof path), c.fits) << c.line;
        EXPECT_STREQ(path, c.path) << c.line;
    }
}

TEST(ParseCommandLine, TooLongIsNotCutIntoAnotherName)
{
    std::string longest(259, 'a'), tooLong(260, 'a');
    char path[260];
    EXPECT_TRUE(ParseCommandLine(longest.c_str(), path, sizeof path));
    EXPECT_EQ(std::strlen(path), 259u);
    EXPECT_FALSE(ParseCommandLine(tooLong.c_str(), path, sizeof path));
    EXPECT_STREQ(path, "");
    std::string quoted = "\"" + tooLong + "\" x";
    EXPECT_FALSE(ParseCommandLine(quoted.c_str(), path, sizeof path));
    EXPECT_STREQ(path, "");
    std::string huge(100000, 'x');
    EXPECT_FALSE(ParseCommandLine(huge.c_str(), path, sizeof path));
}

TEST(PaneLayout, WithoutSplitTheMainPaneFillsTheClientArea)
{
    PaneLayout l = ComputePaneLayout(640, 480, 480, 20, false, 50);
    EXPECT_EQ(l.status.y, 460);
    EXPECT_EQ(l.status.width, 640);
    EXPECT_EQ(l.status.height, 20);
    EXPECT_EQ(l.main.x, 0);
    EXPECT_EQ(l.main.y, 0);
    EXPECT_EQ(l.main.width, 640);
    EXPECT_EQ(l.main.height, 460);
}

TEST(PaneLayout, SplitSharesTheHeightLessTheBar)
{
    // h = 480 - 20 - 4 = 456.
    PaneLayout l = ComputePaneLayout(640, 480, 480, 20, true, 50);
    EXPECT_EQ(l.main.height, 228);
    EXPECT_EQ(l.sub.y, 232);
    EXPECT_EQ(l.sub.height, 228);
    // 457 at 33 %: 150 and 306, one pixel short of h.
    l = ComputePaneLayout(640, 481, 481, 20, true, 33);
    EXPECT_EQ(l.main.height, 150);
    EXPECT_EQ(l.sub.y, 154);
    EXPECT_EQ(l.sub.height, 306);
}

TEST(DragShare, ClampsAndWraps)
{
    const struct {
        unsigned y;
        int client, status, share;
    } cases[] = {
        {230, 480, 20, 50},    // 230 * 100 / 460
        {0, 480, 20, 10},      // the very top
        {30, 480, 20, 10},     // 6 % becomes 10
        {460, 480, 20, 90},    // the very bottom
        {479, 480, 20, 90},
        {65535, 480, 20, 10},  // one pixel above the window: 14246 % > 6000
        {65535, 1200, 20, 90}, // tall window: 5553 % is no wrap, clamped to 90
        {30000, 480, 20, 10},
        {27000, 460, 10, 90},  // 6000 exactly is not above 6000: clamped to 90
    };
    for (const auto& c : cases) {
        int share = -1;
        ASSERT_TRUE(ComputeDragShare(c.y, c.client, c.status, &share));
        EXPECT_EQ(share, c.share) << c.y << " " << c.client;
    }
}

TEST(DragShare, ZeroDivisorChangesNothing)
{
    int share = 42;
    EXPECT_FALSE(ComputeDragShare(100, 20, 20, &share));
    EXPECT_EQ(share, 42);
}

TEST(FormatTitle, ShortPathsAreCopied)
{
    char title[260];
    FormatTitle("NewFile.txt", title, sizeof title);
    EXPECT_STREQ(title, "VEXA Edit ! : NewFile.txt");
}

TEST(FormatTitle, LongPathsKeepTheirEndAndWholeCharacters)
{
    // 300 bytes of two-byte characters (表, whose second byte is 0x5C) and
    // a file name: the title keeps the name and never half a character.
    std::string path;
    while (path.size() < 300)
        path += "\x95\x5C";
    path += "\\name.txt";
    char title[260];
    std::memset(title, 0x55, sizeof title);
    FormatTitle(path.c_str(), title, sizeof title);
    std::string t = title;
    EXPECT_LT(t.size(), 260u);
    EXPECT_EQ(t.substr(0, 17), "VEXA Edit ! : ...");
    EXPECT_EQ(t.substr(t.size() - 9), "\\name.txt");
    std::string tail = t.substr(17, t.size() - 17 - 9);
    ASSERT_EQ(tail.size() % 2, 0u);
    for (std::size_t i = 0; i < tail.size(); i += 2)
        ASSERT_EQ(Hex(tail.substr(i, 2)), "95 5C") << i;
    for (std::size_t size : {0u, 1u, 10u, 17u, 18u, 19u, 20u}) {
        char small[32];
        std::memset(small, 0x55, sizeof small);
        FormatTitle(path.c_str(), small, size);
        if (size > 0) {
            EXPECT_LT(std::strlen(small), size);
        }
        EXPECT_EQ(small[size], 0x55);
    }
}

TEST(Status, Formats)
{
    char out[108];
    FormatStatus(out, sizeof out, 0x41, true, 1234, 3, 10, 5);
    // "KeyCode = 00000041 : 編集あり : Size = 1234Bytes : Line = 3/10 : 選択量 5Bytes"
    EXPECT_EQ(Hex(out), Hex("KeyCode = 00000041 : \x95\xD2\x8F\x57\x82\xA0\x82\xE8 : Size = 1234Bytes : "
                            "Line = 3/10 : \x91\x49\x91\xF0\x97\xCA 5Bytes"));
    FormatStatus(out, sizeof out, 1, false, 0, 1, 1, 0);
    EXPECT_EQ(Hex(out), Hex("KeyCode = 00000001 : \x95\xD2\x8F\x57\x96\xB3\x82\xB5 : Size = 0Bytes : "
                            "Line = 1/1 : \x91\x49\x91\xF0\x97\xCA 0Bytes"));
}

TEST(Status, HugeNumbersAreCutInsideTheBuffer)
{
    char out[120];
    std::memset(out, 0x55, sizeof out);
    FormatStatus(out, 108, 0xFFFFFFFFu, true, -2147483647 - 1, -2147483647 - 1, -2147483647 - 1, -2147483647 - 1);
    EXPECT_EQ(std::strlen(out), 107u);
    EXPECT_EQ(out[108], 0x55);
    EXPECT_EQ(std::string(out).substr(0, 18), "KeyCode = FFFFFFFF");
}

// The status line's second part names the codes by their menu names.
TEST(Status, SaveCodes)
{
    const struct {
        KanjiCode kanji;
        LineBreakCode lineBreak;
        bool mark;
        const char* text;
    } cases[] = {
        {KanjiCode::ShiftJIS, LineBreakCode::CrLf, false, "S-JIS  CR LF"}, {KanjiCode::EUC, LineBreakCode::Lf, false, "EUC  LF"},
        {KanjiCode::JIS, LineBreakCode::Cr, false, "JIS  CR"},             {KanjiCode::UTF8, LineBreakCode::LfCr, false, "UTF-8  LF CR"},
        {KanjiCode::UTF8, LineBreakCode::Lf, true, "UTF-8 BOM  LF"},        {KanjiCode::UTF16, LineBreakCode::CrLf, true, "UTF-16  CR LF"},
        {KanjiCode::UTF16BE, LineBreakCode::Lf, true, "UTF-16BE  LF"},
    };
    for (const auto& c : cases) {
        char text[40];
        FormatSaveCodes(text, sizeof text, c.kanji, c.lineBreak, c.mark);
        EXPECT_STREQ(text, c.text);
    }
}

TEST(KeySounds, Table)
{
    const struct {
        unsigned key;
        bool repeated;
        const char* file;
    } cases[] = {
        {0x0D, false, "Sound2.WAV"}, {0x0D, true, "Sound2.WAV"},   // Enter: every repeat
        {0x10, false, "Sound3.WAV"}, {0x10, true, nullptr},        // Shift: first press only
        {0x11, false, "Sound1.WAV"}, {0x11, true, nullptr},        // Control
        {0x1B, true, nullptr}, {0x1C, true, nullptr}, {0x1D, true, nullptr},
        {0x23, true, nullptr}, {0x24, true, nullptr}, {0x5B, true, nullptr}, {0x5D, true, nullptr},
        {0x90, true, nullptr}, {0x91, true, nullptr}, {0x13, true, nullptr},
        {0xF0, true, nullptr}, {0xF4, true, nullptr}, {0xF4, false, "Sound1.WAV"},
        {'A', false, "Sound1.WAV"}, {'A', true, "Sound1.WAV"},     // letters: every repeat
        {0x25, true, "Sound1.WAV"}, {0x2E, true, "Sound1.WAV"},    // arrows, Delete
        {0x5C, true, "Sound1.WAV"}, {0x70, true, "Sound1.WAV"},    // right Windows key, F1
        {0xF5, true, "Sound1.WAV"},
    };
    for (const auto& c : cases) {
        const char* got = KeySoundFile(c.key, c.repeated);
        if (c.file)
            EXPECT_STREQ(got, c.file) << std::hex << c.key;
        else
            EXPECT_EQ(got, nullptr) << std::hex << c.key;
    }
}

TEST(MeterGeometry, WorkedExample)
{
    // DrawProgressMeter(w, 14, 15, 196, 50, 100)
    EXPECT_EQ(MeterFillWidth(196, 50, 100), 97);
    const int expected[] = {15, 34, 53, 73, 92, 112, 131, 150, 170, 189, 209};
    ASSERT_EQ(MeterTickCount(100), 11);
    for (int i = 0; i < 11; ++i) {
        EXPECT_EQ(MeterTickX(14, 196, i, 100), expected[i]) << i;
        EXPECT_EQ(MeterTickIsLong(i), i == 0 || i == 5 || i == 10) << i;
    }
}

TEST(MeterGeometry, EdgeCases)
{
    EXPECT_EQ(MeterFillWidth(196, 0, 100), 0);
    EXPECT_EQ(MeterFillWidth(196, 100, 100), 194);
    EXPECT_EQ(MeterFillWidth(196, 150, 100), 194);  // above the total counts as the total
    EXPECT_EQ(MeterFillWidth(196, -5, 100), 0);
    EXPECT_EQ(MeterFillWidth(196, 5, 0), 0);
    EXPECT_EQ(MeterTickCount(0), 0);
    EXPECT_EQ(MeterTickCount(-3), 0);
    EXPECT_EQ(MeterTickCount(7), 1);  // below 10: one long tick at L + 1
    EXPECT_EQ(MeterTickX(14, 196, 0, 7), 15);
    EXPECT_EQ(MeterTickCount(25), 3);
    EXPECT_LT(MeterTickX(14, 196, 2, 25), 209);  // the last one left of the end
}

}  // namespace
