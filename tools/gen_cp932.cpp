// Writes codec's code page 932 table (Shift-JIS as Windows and the panes
// hold it, NEC and IBM extensions included) as C++ source, from the C
// library's own CP932 converter. Run at build time on the build machine:
//
//     gen_cp932 OUTPUT.cpp
//
// Two adjustments make the table Windows' rather than the C library's:
// - Only mappings that come back are kept for the way to Shift-JIS. The C
//   library also sends a few lookalikes one way (U+301C to 81 60, U+2212 to
//   81 7C, U+00A5 to 5C, ...); Windows sends them nowhere, and a table that
//   took them would turn a UTF-8 file into a different one on its way back.
// - Windows gives the single bytes 80, A0 and FD-FF characters of their own
//   (U+0080, U+F8F0-F8F3); the C library has none for them.
// Both are checked against MultiByteToWideChar and WideCharToMultiByte in
// the Windows tests.
//
// It also writes where EUC's three-byte characters (8F and two bytes A1-FE:
// JIS X 0212, and the IBM and user-defined areas) land in code page 932, as
// the C library's EUC-JP-MS converter puts them; most have no place there.
// And the other way, for the rows where EUC-JP-MS writes other bytes than
// the JIS arithmetic gives (NEC row 13's duplicates of JIS X 0208, the
// NEC-selected and the IBM extensions): the EUC bytes of each code, and for
// 7-bit JIS, which has no place for the IBM rows, the twin of each IBM
// extension below FA (JIS X 0208 first, then NEC row 13, then the
// NEC-selected rows: the lowest code of the same character, as nkf -j
// writes it).
#include <iconv.h>

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <vector>

namespace {

bool IsLead(unsigned c) { return (c >= 0x81 && c <= 0x9F) || (c >= 0xE0 && c <= 0xFC); }

// The one character `bytes` stand for, or -1.
long Decode(iconv_t cd, const unsigned char* bytes, std::size_t n)
{
    char in[2];
    std::memcpy(in, bytes, n);
    char* ip = in;
    std::size_t il = n;
    std::uint32_t out[4];
    char* op = reinterpret_cast<char*>(out);
    std::size_t ol = sizeof out;
    iconv(cd, nullptr, nullptr, nullptr, nullptr);
    if (iconv(cd, &ip, &il, &op, &ol) == static_cast<std::size_t>(-1) || il != 0 ||
        op - reinterpret_cast<char*>(out) != 4)
        return -1;
    return static_cast<long>(out[0]);
}

// The Shift-JIS bytes of `u` as one number (a single byte or lead << 8 |
// trail), or 0.
unsigned Encode(iconv_t cd, std::uint32_t u)
{
    char* ip = reinterpret_cast<char*>(&u);
    std::size_t il = 4;
    unsigned char out[8];
    char* op = reinterpret_cast<char*>(out);
    std::size_t ol = sizeof out;
    iconv(cd, nullptr, nullptr, nullptr, nullptr);
    if (iconv(cd, &ip, &il, &op, &ol) == static_cast<std::size_t>(-1))
        return 0;
    std::size_t n = static_cast<std::size_t>(op - reinterpret_cast<char*>(out));
    if (n == 1)
        return out[0];
    if (n == 2)
        return static_cast<unsigned>(out[0]) << 8 | out[1];
    return 0;
}

void WriteArray(FILE* f, const char* declaration, const std::vector<unsigned>& values, const char* format)
{
    std::fprintf(f, "%s = {", declaration);
    for (std::size_t k = 0; k < values.size(); ++k) {
        std::fputs(k % 12 == 0 ? "\n   " : "", f);
        std::fprintf(f, format, values[k]);
    }
    std::fputs("\n};\n\n", f);
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fputs("usage: gen_cp932 OUTPUT.cpp\n", stderr);
        return 64;
    }
    iconv_t toUnicode = iconv_open("UTF-32LE", "CP932");
    iconv_t fromUnicode = iconv_open("CP932", "UTF-32LE");
    if (toUnicode == reinterpret_cast<iconv_t>(-1) || fromUnicode == reinterpret_cast<iconv_t>(-1)) {
        std::perror("gen_cp932: iconv_open CP932");
        return 1;
    }

    // Bytes to characters: single bytes (0xFFFF for none and for lead
    // bytes), and pairs by (lead index << 8 | trail) (0 for none).
    std::vector<unsigned> single(256, 0xFFFF);
    std::vector<unsigned> pairs(60 * 256, 0);
    for (unsigned c = 0; c < 256; ++c) {
        if (IsLead(c))
            continue;
        const unsigned char b[1] = {static_cast<unsigned char>(c)};
        long u = Decode(toUnicode, b, 1);
        if (u >= 0)
            single[c] = static_cast<unsigned>(u);
    }
    const struct { unsigned byte, unicode; } kWindowsOnly[] = {
        {0x80, 0x0080}, {0xA0, 0xF8F0}, {0xFD, 0xF8F1}, {0xFE, 0xF8F2}, {0xFF, 0xF8F3}};
    for (const auto& w : kWindowsOnly)
        single[w.byte] = w.unicode;
    unsigned pairCount = 0;
    for (unsigned lead = 0x81; lead <= 0xFC; ++lead) {
        if (!IsLead(lead))
            continue;
        const unsigned index = lead < 0xA0 ? lead - 0x81 : lead - 0xE0 + 31;
        for (unsigned trail = 0x40; trail <= 0xFC; ++trail) {
            const unsigned char b[2] = {static_cast<unsigned char>(lead), static_cast<unsigned char>(trail)};
            long u = Decode(toUnicode, b, 2);
            if (u > 0 && u <= 0xFFFF) {
                pairs[index << 8 | trail] = static_cast<unsigned>(u);
                ++pairCount;
            }
        }
    }
    if (pairCount < 7000) {
        std::fprintf(stderr, "gen_cp932: the C library's CP932 knows only %u pairs\n", pairCount);
        return 1;
    }

    // Characters to bytes, in pages of 256; page 0 of the output is empty.
    auto decodeBack = [&](unsigned sj) -> unsigned {
        if (sj < 0x100)
            return single[sj];
        unsigned lead = sj >> 8;
        if (!IsLead(lead))
            return 0;
        unsigned index = lead < 0xA0 ? lead - 0x81 : lead - 0xE0 + 31;
        return pairs[index << 8 | (sj & 0xFF)];
    };
    std::vector<unsigned> pageOf(256, 0);
    std::vector<unsigned> pages(256, 0);
    for (unsigned high = 0; high < 256; ++high) {
        std::vector<unsigned> page(256, 0);
        bool used = false;
        for (unsigned low = 0; low < 256; ++low) {
            const std::uint32_t u = high << 8 | low;
            if (u == 0 || (u >= 0xD800 && u < 0xE000))
                continue;
            unsigned sj = Encode(fromUnicode, u);
            for (const auto& w : kWindowsOnly)
                if (w.unicode == u)
                    sj = w.byte;
            if (sj != 0 && decodeBack(sj) == u) {
                page[low] = sj;
                used = true;
            }
        }
        if (used) {
            pageOf[high] = static_cast<unsigned>(pages.size() / 256);
            pages.insert(pages.end(), page.begin(), page.end());
        }
    }
    iconv_close(toUnicode);
    iconv_close(fromUnicode);

    // 8F j1 j2 to Shift-JIS, by [(j1 - A1) * 94 + (j2 - A1)]; 0 for none.
    iconv_t euc = iconv_open("CP932", "EUC-JP-MS");
    if (euc == reinterpret_cast<iconv_t>(-1)) {
        std::perror("gen_cp932: iconv_open EUC-JP-MS");
        return 1;
    }
    std::vector<unsigned> supplement(94 * 94, 0);
    unsigned supplementCount = 0;
    for (unsigned j1 = 0xA1; j1 <= 0xFE; ++j1)
        for (unsigned j2 = 0xA1; j2 <= 0xFE; ++j2) {
            char in[3] = {'\x8F', static_cast<char>(j1), static_cast<char>(j2)};
            unsigned char out[8];
            char* ip = in;
            char* op = reinterpret_cast<char*>(out);
            std::size_t il = 3, ol = sizeof out;
            iconv(euc, nullptr, nullptr, nullptr, nullptr);
            if (iconv(euc, &ip, &il, &op, &ol) != static_cast<std::size_t>(-1) && il == 0 &&
                op - reinterpret_cast<char*>(out) == 2 && IsLead(out[0])) {
                supplement[(j1 - 0xA1) * 94 + (j2 - 0xA1)] = static_cast<unsigned>(out[0]) << 8 | out[1];
                ++supplementCount;
            }
        }
    iconv_close(euc);

    // Shift-JIS pairs of the extension leads to EUC: 0x8F j1 j2 or j1 j2 as
    // one number, 0 where EUC-JP-MS has none.
    const unsigned kExtensionLeads[6] = {0x87, 0xED, 0xEE, 0xFA, 0xFB, 0xFC};
    iconv_t toEuc = iconv_open("EUC-JP-MS", "CP932");
    if (toEuc == reinterpret_cast<iconv_t>(-1)) {
        std::perror("gen_cp932: iconv_open EUC-JP-MS");
        return 1;
    }
    std::vector<unsigned> eucOfExtension(6 * 256, 0);
    std::vector<unsigned> necTwin(3 * 256, 0);
    unsigned extensionCount = 0, twinCount = 0;
    for (unsigned k = 0; k < 6; ++k)
        for (unsigned trail = 0x40; trail <= 0xFC; ++trail) {
            const unsigned lead = kExtensionLeads[k];
            const unsigned index = lead < 0xA0 ? lead - 0x81 : lead - 0xE0 + 31;
            const unsigned u = pairs[index << 8 | trail];
            if (u == 0)
                continue;
            char in[2] = {static_cast<char>(lead), static_cast<char>(trail)};
            unsigned char out[8];
            char* ip = in;
            char* op = reinterpret_cast<char*>(out);
            std::size_t il = 2, ol = sizeof out;
            iconv(toEuc, nullptr, nullptr, nullptr, nullptr);
            if (iconv(toEuc, &ip, &il, &op, &ol) != static_cast<std::size_t>(-1) && il == 0) {
                const std::size_t n = static_cast<std::size_t>(op - reinterpret_cast<char*>(out));
                unsigned value = 0;
                for (std::size_t b = 0; b < n && n <= 3; ++b)
                    value = value << 8 | out[b];
                eucOfExtension[k << 8 | trail] = value;
                extensionCount += value != 0;
            }
            if (lead >= 0xFA) {
                for (unsigned twinLead = 0x81; twinLead < 0xFA && !necTwin[(lead - 0xFA) << 8 | trail]; ++twinLead) {
                    if (!IsLead(twinLead))
                        continue;
                    const unsigned twinIndex = twinLead < 0xA0 ? twinLead - 0x81 : twinLead - 0xE0 + 31;
                    for (unsigned t = 0x40; t <= 0xFC; ++t)
                        if (pairs[twinIndex << 8 | t] == u) {
                            necTwin[(lead - 0xFA) << 8 | trail] = twinLead << 8 | t;
                            ++twinCount;
                            break;
                        }
                }
            }
        }
    iconv_close(toEuc);
    if (extensionCount < 700 || twinCount < 380) {
        std::fprintf(stderr, "gen_cp932: the C library's EUC-JP-MS writes only %u extension codes (%u twins)\n",
                     extensionCount, twinCount);
        return 1;
    }
    if (supplementCount < 300) {
        std::fprintf(stderr, "gen_cp932: the C library's EUC-JP-MS maps only %u three-byte characters\n",
                     supplementCount);
        return 1;
    }

    FILE* f = std::fopen(argv[1], "w");
    if (!f) {
        std::perror(argv[1]);
        return 1;
    }
    std::fputs("// Generated at build time by tools/gen_cp932.cpp from the C library's CP932\n"
               "// converter; see there. Do not edit.\n"
               "#include \"codec/cp932.h\"\n\nnamespace cp932 {\n\n",
               f);
    WriteArray(f, "const std::uint16_t kSingle[256]", single, " 0x%04X,");
    WriteArray(f, "const std::uint16_t kPairs[60 * 256]", pairs, " 0x%04X,");
    WriteArray(f, "const std::uint8_t kPageOf[256]", pageOf, " %3u,");
    std::fprintf(f, "const std::size_t kPageCount = %zu;\n\n", pages.size() / 256);
    WriteArray(f, "const std::uint16_t kPages[]", pages, " 0x%04X,");
    WriteArray(f, "const std::uint16_t kEucSupplement[94 * 94]", supplement, " 0x%04X,");
    WriteArray(f, "const std::uint32_t kEucOfExtension[6 * 256]", eucOfExtension, " 0x%06X,");
    WriteArray(f, "const std::uint16_t kNecTwinOfIbm[3 * 256]", necTwin, " 0x%04X,");
    // The pair of each character UTF-8 writes in three bytes, in one
    // lookup, as its two bytes stand in memory (lead first, read as a
    // little-endian number): 0 for the code points three bytes cannot stand
    // for (below U+0800, the surrogates) and for those without a pair.
    std::vector<unsigned> threeByte(65536, 0);
    for (unsigned u = 0x800; u < 0x10000; ++u) {
        if (u >= 0xD800 && u < 0xE000)
            continue;
        const unsigned sj = pages[static_cast<std::size_t>(pageOf[u >> 8]) << 8 | (u & 0xFF)];
        if (sj >= 0x100)
            threeByte[u] = (sj & 0xFF) << 8 | sj >> 8;
    }
    WriteArray(f, "const std::uint16_t kThreeBytePairs[65536]", threeByte, " 0x%04X,");
    std::fputs("}  // namespace cp932\n", f);
    if (std::fclose(f) != 0) {
        std::perror(argv[1]);
        return 1;
    }
    return 0;
}
