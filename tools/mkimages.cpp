// Generates the editor's binary resources at build time: the meter strips,
// the icon, the split-bar cursor, the About picture and the key sounds.
//
//     mkimages OUTPUT-FOLDER
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

struct Rgb {
    std::uint8_t r, g, b;
};

bool operator==(Rgb a, Rgb b) { return a.r == b.r && a.g == b.g && a.b == b.b; }

Rgb Hex(std::uint32_t v) { return Rgb{std::uint8_t(v >> 16), std::uint8_t(v >> 8), std::uint8_t(v)}; }

Rgb Mix(Rgb a, Rgb b, double t)
{
    auto m = [t](int x, int y) { return std::uint8_t(std::lround(x + (y - x) * t)); };
    return Rgb{m(a.r, b.r), m(a.g, b.g), m(a.b, b.b)};
}

class Bytes {
public:
    void U8(unsigned v) { data.push_back(std::uint8_t(v)); }
    void U16(unsigned v) { U8(v & 0xFF); U8(v >> 8); }
    void U32(std::uint32_t v) { U16(v & 0xFFFF); U16(v >> 16); }
    void Write(const std::string& path) const
    {
        std::FILE* f = std::fopen(path.c_str(), "wb");
        if (!f || std::fwrite(data.data(), 1, data.size(), f) != data.size() || std::fclose(f) != 0) {
            std::fprintf(stderr, "mkimages: cannot write %s\n", path.c_str());
            std::exit(1);
        }
    }
    std::vector<std::uint8_t> data;
};

// An 8-bit image with its own palette.
struct Indexed {
    int width, height;
    std::vector<Rgb> palette;
    std::vector<std::uint8_t> pixels;  // top row first

    Indexed(int w, int h) : width(w), height(h), pixels(std::size_t(w) * h, 0) {}
    std::uint8_t Index(Rgb c)
    {
        for (std::size_t i = 0; i < palette.size(); ++i)
            if (palette[i] == c)
                return std::uint8_t(i);
        if (palette.size() >= 256) {
            std::fprintf(stderr, "mkimages: more than 256 colours\n");
            std::exit(1);
        }
        palette.push_back(c);
        return std::uint8_t(palette.size() - 1);
    }
    void Set(int x, int y, Rgb c)
    {
        if (x >= 0 && y >= 0 && x < width && y < height)
            pixels[std::size_t(y) * width + x] = Index(c);
    }
    Rgb Get(int x, int y) const { return palette[pixels[std::size_t(y) * width + x]]; }
};

// BITMAPINFOHEADER, the palette and the rows bottom-up (height doubled for
// icons and cursors, whose AND mask follows).
void DibHeader(Bytes& b, int width, int height, int bits, int colours, std::uint32_t imageSize)
{
    b.U32(40);
    b.U32(std::uint32_t(width));
    b.U32(std::uint32_t(height));
    b.U16(1);
    b.U16(unsigned(bits));
    b.U32(0);
    b.U32(imageSize);
    b.U32(2835);
    b.U32(2835);
    b.U32(std::uint32_t(colours));
    b.U32(0);
}

void Palette(Bytes& b, const std::vector<Rgb>& palette, std::size_t entries)
{
    for (std::size_t i = 0; i < entries; ++i) {
        Rgb c = i < palette.size() ? palette[i] : Rgb{0, 0, 0};
        b.U8(c.b);
        b.U8(c.g);
        b.U8(c.r);
        b.U8(0);
    }
}

void Rows8(Bytes& b, const Indexed& img)
{
    int stride = (img.width + 3) & ~3;
    for (int y = img.height - 1; y >= 0; --y)
        for (int x = 0; x < stride; ++x)
            b.U8(x < img.width ? img.pixels[std::size_t(y) * img.width + x] : 0);
}

void WriteBmp(const std::string& path, const Indexed& img, std::size_t paletteEntries)
{
    Bytes b;
    std::uint32_t stride = std::uint32_t((img.width + 3) & ~3);
    std::uint32_t imageSize = stride * std::uint32_t(img.height);
    std::uint32_t offset = 14 + 40 + 4 * std::uint32_t(paletteEntries);
    b.U16(0x4D42);
    b.U32(offset + imageSize);
    b.U32(0);
    b.U32(offset);
    DibHeader(b, img.width, img.height, 8, int(paletteEntries), imageSize);
    Palette(b, img.palette, paletteEntries);
    Rows8(b, img);
    b.Write(path);
}

// ---- Meter strips ---------------------------------------------------------

const std::uint32_t kMeter2Y[11][4] = {
    {0x4A73A5, 0x4A73A5, 0x4A73A5, 0x4A73A5}, {0x303943, 0x4A7BB5, 0x4A7BB5, 0x4A7BB5},
    {0x39434D, 0x73ADDE, 0x73ADDE, 0x73ADDE}, {0x4D4D57, 0x84B5DE, 0xAD0000, 0x84B5DE},
    {0x69747D, 0x94BDE7, 0xFF0000, 0x94BDE7}, {0x7D7D87, 0xA5C6E7, 0xFF0000, 0xA5C6E7},
    {0xAEB7B7, 0xFF0052, 0xFF0052, 0xB5D6EF}, {0xC1CBD4, 0xFF5252, 0xFF5252, 0xD6E7F7},
    {0x909BA4, 0xFF0000, 0xFF0000, 0xB5D6EF}, {0x69747D, 0x840000, 0x840000, 0x84B5DE},
    {0x4A7BB5, 0x4A7BB5, 0x4A7BB5, 0x4A7BB5},
};

void WriteMeters(const std::string& dir)
{
    // Both strips share one palette of 22 colours: black first, then the
    // strip's colours in the order they appear.
    std::vector<Rgb> shared{Rgb{0, 0, 0}};
    Indexed y(4, 11), t(11, 4);
    y.palette = shared;
    for (int row = 0; row < 11; ++row)
        for (int col = 0; col < 4; ++col)
            y.Set(col, row, Hex(kMeter2Y[row][col]));
    while (y.palette.size() < 22)
        y.palette.push_back(Rgb{255, 255, 255});
    t.palette = y.palette;
    // METER2T is METER2Y on its side: its (x, y) is METER2Y's (y, 10 - x).
    for (int x = 0; x < 11; ++x)
        for (int row = 0; row < 4; ++row)
            t.Set(x, row, y.Get(row, 10 - x));
    WriteBmp(dir + "/METER2Y.bmp", y, 22);
    WriteBmp(dir + "/METER2T.bmp", t, 22);
}

// ---- Icon -----------------------------------------------------------------

const Rgb kPaper{255, 255, 225};
const Rgb kInk{0, 47, 94};
const Rgb kTeal{10, 200, 150};
const Rgb kRed{200, 30, 40};

// A sheet of paper with lines of text, a teal folded corner and a red seal.
Indexed IconImage()
{
    Indexed img(32, 32);
    img.Index(Rgb{0, 0, 0});
    for (int yy = 0; yy < 32; ++yy)
        for (int xx = 0; xx < 32; ++xx)
            img.Set(xx, yy, Rgb{0, 0, 0});
    const int left = 4, right = 27, top = 1, bottom = 30, fold = 8;
    for (int yy = top; yy <= bottom; ++yy)
        for (int xx = left; xx <= right; ++xx) {
            bool inFold = xx > right - fold && yy < top + fold && (xx - (right - fold)) > (yy - top);
            if (inFold)
                continue;
            bool edge = xx == left || xx == right || yy == top || yy == bottom ||
                        (xx - (right - fold)) == (yy - top) + 1;
            img.Set(xx, yy, edge ? kInk : Mix(kPaper, Rgb{255, 255, 255}, (yy - top) / 40.0));
        }
    // The folded corner.
    for (int yy = top; yy < top + fold; ++yy)
        for (int xx = right - fold + 1; xx <= right - fold + 1 + (yy - top); ++xx)
            img.Set(xx, yy, (xx == right - fold + 1 + (yy - top) || yy == top + fold - 1) ? kInk : kTeal);
    // Lines of text: short strokes like kana and kanji.
    for (int line = 0; line < 6; ++line) {
        int yy = top + 5 + line * 4;
        int end = line == 5 ? 17 : (line == 0 ? right - fold - 1 : right - 3);
        for (int xx = left + 3; xx <= end; ++xx)
            if ((xx + line * 3) % 5 != 0)
                img.Set(xx, yy, kInk), img.Set(xx, yy + 1, Mix(kInk, kPaper, 0.55));
    }
    // A red seal at the lower right, with a white V.
    for (int yy = 20; yy <= 29; ++yy)
        for (int xx = 19; xx <= 28; ++xx) {
            bool border = yy == 20 || yy == 29 || xx == 19 || xx == 28;
            img.Set(xx, yy, border ? Mix(kRed, Rgb{0, 0, 0}, 0.3) : kRed);
        }
    for (int k = 0; k < 6; ++k) {
        img.Set(21 + k / 2, 22 + k, Rgb{255, 255, 255});
        img.Set(26 - k / 2, 22 + k, Rgb{255, 255, 255});
    }
    return img;
}

bool IconTransparent(const Indexed& img, int x, int y) { return img.Get(x, y) == Rgb{0, 0, 0}; }

void WriteIcon(const std::string& dir)
{
    Indexed img = IconImage();
    const std::uint32_t xorSize = 32 * 32, andSize = 32 * 4;
    const std::uint32_t imageBytes = 40 + 256 * 4 + xorSize + andSize;
    Bytes b;
    b.U16(0);
    b.U16(1);  // icon
    b.U16(1);
    b.U8(32);
    b.U8(32);
    b.U8(0);  // 256 colours
    b.U8(0);
    b.U16(1);
    b.U16(8);
    b.U32(imageBytes);
    b.U32(6 + 16);
    DibHeader(b, 32, 64, 8, 256, xorSize + andSize);
    Palette(b, img.palette, 256);
    Rows8(b, img);
    for (int y = 31; y >= 0; --y)
        for (int byte = 0; byte < 4; ++byte) {
            unsigned bits = 0;
            for (int bit = 0; bit < 8; ++bit)
                if (IconTransparent(img, byte * 8 + bit, y))
                    bits |= 0x80u >> bit;
            b.U8(bits);
        }
    b.Write(dir + "/A00AppIcon.ico");
}

// ---- Cursor ---------------------------------------------------------------

// A double arrow up and down across two bars, its hot spot at (2, 14) on
// the bars' left end, where the pointer meets the split bar.
void WriteCursor(const std::string& dir)
{
    // 0 transparent, 1 black, 2 white.
    int px[32][32] = {};
    auto put = [&](int x, int y, int v) {
        if (x >= 0 && y >= 0 && x < 32 && y < 32)
            px[y][x] = v;
    };
    const int cx = 11;
    for (int x = 1; x <= 21; ++x) {
        for (int y = 11; y <= 17; ++y)
            put(x, y, 1);
    }
    for (int x = 2; x <= 20; ++x) {
        put(x, 12, 2);
        put(x, 16, 2);
    }
    // Arrow heads and shafts.
    for (int k = 0; k <= 5; ++k)
        for (int x = cx - k - 1; x <= cx + k + 1; ++x) {
            put(x, 2 + k, 1);
            put(x, 26 - k, 1);
        }
    for (int k = 0; k <= 4; ++k)
        for (int x = cx - k; x <= cx + k; ++x) {
            put(x, 3 + k, 2);
            put(x, 25 - k, 2);
        }
    for (int y = 8; y <= 20; ++y) {
        for (int x = cx - 2; x <= cx + 2; ++x)
            if (px[y][x] == 0)
                put(x, y, 1);
        if (y < 11 || y > 17)
            put(cx, y, 2), put(cx - 1, y, 2), put(cx + 1, y, 2);
    }
    Bytes b;
    const std::uint32_t xorSize = 32 * 4, andSize = 32 * 4;
    b.U16(0);
    b.U16(2);  // cursor
    b.U16(1);
    b.U8(32);
    b.U8(32);
    b.U8(2);
    b.U8(0);
    b.U16(2);   // hot spot x
    b.U16(14);  // hot spot y
    b.U32(40 + 8 + xorSize + andSize);
    b.U32(6 + 16);
    DibHeader(b, 32, 64, 1, 2, xorSize + andSize);
    Palette(b, {Rgb{0, 0, 0}, Rgb{255, 255, 255}}, 2);
    for (int pass = 0; pass < 2; ++pass)  // XOR (colour) then AND (transparency)
        for (int y = 31; y >= 0; --y)
            for (int byte = 0; byte < 4; ++byte) {
                unsigned bits = 0;
                for (int bit = 0; bit < 8; ++bit) {
                    int v = px[y][byte * 8 + bit];
                    bool set = pass == 0 ? v == 2 : v == 0;
                    if (set)
                        bits |= 0x80u >> bit;
                }
                b.U8(bits);
            }
    b.Write(dir + "/MOVEUD.cur");
}

// ---- About picture --------------------------------------------------------

// A 5 x 7 pixel font for the few letters of the title.
const char* Glyph(char c)
{
    switch (c) {
    case 'V': return "10001100011000110001100010101000100";
    case 'E': return "11111100001000011110100001000011111";
    case 'X': return "10001100010101000100010101000110001";
    case 'A': return "01110100011000111111100011000110001";
    case 'd': return "00001000010110110011100011001101101";
    case 'i': return "00100000000110000100001000010001110";
    case 't': return "01000010001110001000010000100100110";
    case '!': return "00100001000010000100001000000000100";
    default: return "00000000000000000000000000000000000";
    }
}

void Text(Indexed& img, int x, int y, const char* s, int scale, Rgb colour)
{
    for (; *s; ++s, x += 6 * scale) {
        const char* g = Glyph(*s);
        for (int row = 0; row < 7; ++row)
            for (int col = 0; col < 5; ++col)
                if (g[row * 5 + col] == '1')
                    for (int dy = 0; dy < scale; ++dy)
                        for (int dx = 0; dx < scale; ++dx)
                            img.Set(x + col * scale + dx, y + row * scale + dy, colour);
    }
}

void WriteAbout(const std::string& dir)
{
    const int w = 340, h = 249;
    Indexed img(w, h);
    const Rgb night{8, 28, 64}, dusk{10, 110, 120};
    // Sky: a vertical gradient in 48 steps, with seigaiha waves (rows of
    // concentric half circles) rising from the bottom of the upper part.
    for (int y = 0; y < 182; ++y) {
        Rgb sky = Mix(night, dusk, std::floor(y * 48.0 / 182) / 48.0);
        for (int x = 0; x < w; ++x)
            img.Set(x, y, sky);
    }
    const int r = 18;
    for (int row = 0; row < 5; ++row) {
        int cy = 182 - row * (r / 2) + 6;
        int shift = (row % 2) * r;
        for (int cx = -r + shift; cx < w + r; cx += 2 * r) {
            for (int y = cy - r; y <= cy && y < 182; ++y)
                for (int x = cx - r; x <= cx + r; ++x) {
                    double d = std::sqrt(double(x - cx) * (x - cx) + double(y - cy) * (y - cy));
                    if (d > r || y < 0 || x < 0 || x >= w)
                        continue;
                    int ring = int(d) / 3;
                    Rgb base = Mix(Rgb{12, 70, 110}, kTeal, 0.25 + 0.12 * (4 - row));
                    img.Set(x, y, ring % 2 ? base : Mix(base, Rgb{230, 250, 245}, 0.35));
                }
        }
    }
    // A rising sun behind the title.
    for (int y = 8; y < 100; ++y)
        for (int x = 230; x < 330; ++x) {
            double d = std::hypot(x - 280.0, y - 52.0);
            if (d <= 34)
                img.Set(x, y, d > 31 ? Mix(kRed, Rgb{255, 200, 120}, 0.4) : Mix(kRed, Rgb{255, 120, 80}, d / 60));
        }
    // The title with a shadow, and a line of kana-like strokes beneath it.
    Text(img, 22, 32, "VEXA", 6, Rgb{0, 10, 30});
    Text(img, 20, 30, "VEXA", 6, Rgb{255, 255, 255});
    Text(img, 24, 88, "Edit !", 4, Rgb{0, 10, 30});
    Text(img, 22, 86, "Edit !", 4, kPaper);
    for (int x = 22; x < 200; ++x)
        if ((x / 7) % 3 != 2) {
            img.Set(x, 128, kTeal);
            img.Set(x, 129, Mix(kTeal, night, 0.5));
        }
    // The lower panel in the panes' colours, where the credit and version
    // lines are drawn in black.
    for (int y = 182; y < h; ++y)
        for (int x = 0; x < w; ++x)
            img.Set(x, y, y < 185 ? kTeal : Mix(kPaper, Rgb{255, 255, 255}, (y - 185) / 128.0));
    for (int x = 0; x < w; ++x)
        img.Set(x, h - 1, kInk);
    WriteBmp(dir + "/ABITMAP.bmp", img, 256);
}

// ---- Key sounds -----------------------------------------------------------

// A short, quiet click: a decaying tone with a little noise, 16-bit mono.
void WriteClick(const std::string& path, double frequency, double milliseconds, double noise)
{
    const int rate = 22050;
    const int n = int(rate * milliseconds / 1000);
    std::vector<std::int16_t> samples(static_cast<std::size_t>(n));
    std::uint32_t seed = 12345;
    for (int i = 0; i < n; ++i) {
        double t = double(i) / rate;
        double envelope = std::exp(-t * 1000.0 / (milliseconds / 4)) * std::min(1.0, i / 20.0);
        seed = seed * 1103515245u + 12345u;
        double random = double((seed >> 16) & 0x7FFF) / 16384.0 - 1.0;
        double v = (std::sin(2 * M_PI * frequency * t) * (1 - noise) + random * noise) * envelope;
        samples[std::size_t(i)] = std::int16_t(std::lround(v * 0.25 * 32767));
    }
    Bytes b;
    const std::uint32_t dataBytes = std::uint32_t(n) * 2;
    b.U32(0x46464952);  // RIFF
    b.U32(36 + dataBytes);
    b.U32(0x45564157);  // WAVE
    b.U32(0x20746D66);  // fmt
    b.U32(16);
    b.U16(1);
    b.U16(1);
    b.U32(rate);
    b.U32(rate * 2);
    b.U16(2);
    b.U16(16);
    b.U32(0x61746164);  // data
    b.U32(dataBytes);
    for (std::int16_t s : samples)
        b.U16(std::uint16_t(s));
    b.Write(path);
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: mkimages OUTPUT-FOLDER\n");
        return 64;
    }
    std::string dir = argv[1];
    WriteMeters(dir);
    WriteIcon(dir);
    WriteCursor(dir);
    WriteAbout(dir);
    WriteClick(dir + "/Sound1.WAV", 1800, 18, 0.5);  // ordinary keys
    WriteClick(dir + "/Sound2.WAV", 520, 45, 0.3);   // Enter: lower and longer
    WriteClick(dir + "/Sound3.WAV", 3200, 10, 0.2);  // Shift: high and short
    return 0;
}
