// Straightforward byte-at-a-time versions of the conversion passes, written
// from the behaviour description without fast paths or batching: the
// optimised passes must agree with them byte for byte and advance for
// advance.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "codec/codes.h"
#include "codec/cp932.h"

namespace reference {

struct Result {
    std::string text;
    int code = 0;
    std::uint64_t replaced = 0;  // characters that became 〓 where `code` is not their count
    std::vector<int> advances;
};

inline int Percent(std::uint64_t i, std::uint64_t len) { return static_cast<int>(i * 100 / len); }

// A step at position i: the meter is advanced when its percentage is a
// multiple of 5.
inline void Step(Result* r, std::uint64_t i, std::uint64_t len)
{
    const int p = Percent(i, len);
    if (p % 5 == 0)
        r->advances.push_back(p);
}

inline Result LineBreaksOnLoad(const std::string& data)
{
    Result r;
    auto at = [&](std::size_t k) -> unsigned char { return k < data.size() ? data[k] : 0; };
    std::size_t i = 0;
    std::size_t len = data.find('\0');
    if (len == std::string::npos)
        len = data.size();
    if (data.size() >= 128 && at(0) == 0 && at(74) == 0) {
        i = 128;
        std::size_t z = data.find('\0', 128);
        len = z == std::string::npos ? data.size() : z;
    }
    int code = 0;
    while (i <= len) {
        unsigned char c = at(i);
        if (i == len)
            c = 0;
        unsigned char n = i + 1 < len ? at(i + 1) : 0;
        if (c == 0x0D) {
            if (n == 0x0A) { i += 2; if (!code) code = 4; } else { i += 1; if (!code) code = 2; }
            r.text += "\r\n";
        } else if (c == 0x0A) {
            if (n == 0x0D) { i += 2; if (!code) code = 1; } else { i += 1; if (!code) code = 3; }
            r.text += "\r\n";
        } else {
            if (c)
                r.text += static_cast<char>(c);
            ++i;
        }
        if (len > 0)
            Step(&r, i, len);
    }
    r.code = code ? code : 4;
    return r;
}

// One UTF-8 character at `i`: its code point, or -1 for an ill-formed piece
// (of *taken bytes: a lead byte and the continuation bytes that fit it), -2
// for a sequence that the end of the text cuts off.
inline long Utf8At(const std::string& t, std::size_t i, std::size_t* taken)
{
    auto b = [&](std::size_t k) -> unsigned { return k < t.size() ? static_cast<unsigned char>(t[k]) : 0x100u; };
    const unsigned c = b(i);
    *taken = 1;
    if (c < 0x80)
        return c;
    int n = c >= 0xC2 && c <= 0xDF ? 2 : c >= 0xE0 && c <= 0xEF ? 3 : c >= 0xF0 && c <= 0xF4 ? 4 : 0;
    if (n == 0)
        return -1;
    long u = c & (n == 2 ? 0x1F : n == 3 ? 0x0F : 0x07);
    for (int k = 1; k < n; ++k) {
        const unsigned d = b(i + k);
        if (d == 0x100)
            return -2;
        if (d < 0x80 || d > 0xBF)
            return -1;
        u = u << 6 | (d & 0x3F);
        // The second byte alone tells an overlong form, a surrogate or a
        // code point beyond U+10FFFF.
        if (k == 1 && ((c == 0xE0 && d < 0xA0) || (c == 0xED && d > 0x9F) || (c == 0xF0 && d < 0x90) ||
                       (c == 0xF4 && d > 0x8F)))
            return -1;
        *taken = k + 1;
    }
    return u;
}

// How far a text is well-formed UTF-8 (utf8::CheckText).
struct Utf8Check {
    std::size_t complete = 0;
    bool invalid = false, wide = false;
};

inline Utf8Check CheckUtf8(const std::string& text)
{
    Utf8Check r;
    std::size_t i = 0;
    while (i < text.size()) {
        std::size_t taken;
        const long u = Utf8At(text, i, &taken);
        if (u < 0) {
            r.complete = i;
            r.invalid = u == -1;
            return r;
        }
        r.wide |= taken >= 3;
        i += taken;
    }
    r.complete = text.size();
    return r;
}

// The detection rule for UTF-8: a mark, or well-formed with a wide character.
inline bool IsUtf8(const std::string& text)
{
    if (text.compare(0, 3, "\xEF\xBB\xBF") == 0)
        return true;
    const Utf8Check c = CheckUtf8(text);
    return c.complete == text.size() && c.wide;
}

// UTF-8 to Shift-JIS: 〓 for what code page 932 lacks and for each
// ill-formed piece; the meter is measured at each character over the whole
// text, a byte-order mark included. `code` is the number replaced.
inline Result Utf8OnLoad(const std::string& text, bool skipMark)
{
    Result r;
    std::size_t i = skipMark ? 3 : 0;
    const std::size_t len = text.size();
    while (i < len) {
        Step(&r, i, len);
        std::size_t taken;
        long u = Utf8At(text, i, &taken);
        unsigned sj = u < 0 ? 0 : cp932::FromUnicode(static_cast<std::uint32_t>(u));
        if (u > 0 && u < 0x80)
            sj = static_cast<unsigned>(u);
        if (sj == 0) {
            sj = 0x81AC;
            ++r.code;
        }
        if (sj > 0xFF)
            r.text += static_cast<char>(sj >> 8);
        r.text += static_cast<char>(sj & 0xFF);
        i += taken;
    }
    return r;
}

// The character of the Shift-JIS at *i by code page 932, *i moved past it;
// 〓, counted in `code`, for bytes it gives no character.
inline std::uint32_t NextCharacter(const std::string& text, std::size_t* i, Result* r)
{
    const std::size_t len = text.size();
    const unsigned char c = static_cast<unsigned char>(text[*i]);
    const unsigned char d = *i + 1 < len ? static_cast<unsigned char>(text[*i + 1]) : 0;
    std::uint32_t u;
    if (((c >= 0x81 && c <= 0x9F) || (c >= 0xE0 && c <= 0xFC)) && ((d >= 0x40 && d <= 0x7E) || (d >= 0x80 && d <= 0xFC))) {
        u = cp932::PairToUnicode(c, d);
        *i += 2;
    } else {
        u = c < 0x80 ? c : cp932::SingleToUnicode(c);
        *i += 1;
    }
    if (u == cp932::kNone) {
        u = 0x3013;
        ++r->code;
    }
    return u;
}

// Shift-JIS to UTF-8 by code page 932; 〓 for bytes it gives no character.
inline Result Utf8OnSave(const std::string& text, bool mark)
{
    Result r;
    if (mark)
        r.text = "\xEF\xBB\xBF";
    const std::size_t len = text.size();
    std::size_t i = 0;
    while (i < len) {
        Step(&r, i, len);
        const std::uint32_t u = NextCharacter(text, &i, &r);
        if (u < 0x80) {
            r.text += static_cast<char>(u);
        } else if (u < 0x800) {
            r.text += static_cast<char>(0xC0 | (u >> 6));
            r.text += static_cast<char>(0x80 | (u & 0x3F));
        } else {
            r.text += static_cast<char>(0xE0 | (u >> 12));
            r.text += static_cast<char>(0x80 | ((u >> 6) & 0x3F));
            r.text += static_cast<char>(0x80 | (u & 0x3F));
        }
    }
    return r;
}

// UTF-16 after its two-byte mark (in the order `bigEndian` says) to
// Shift-JIS: each unit by code page 932, 〓 for a surrogate pair, a lone
// surrogate, a unit the code page lacks and an odd last byte; U+0000 ends
// the text, and *leftOut is the bytes from it on. `code` is the number
// replaced.
inline Result Utf16OnLoad(const std::string& file, bool bigEndian, std::uint64_t* leftOut)
{
    Result r;
    *leftOut = 0;
    auto unit = [&](std::size_t k) {
        const unsigned a = static_cast<unsigned char>(file[k]), b = static_cast<unsigned char>(file[k + 1]);
        return bigEndian ? (a << 8 | b) : (b << 8 | a);
    };
    std::size_t i = 2;
    while (i < file.size()) {
        unsigned sj = 0;
        if (i + 1 < file.size()) {
            const unsigned u = unit(i);
            if (u == 0) {
                *leftOut = file.size() - i;
                break;
            }
            i += 2;
            if (u >= 0xD800 && u <= 0xDBFF && i + 1 < file.size() && unit(i) >= 0xDC00 && unit(i) <= 0xDFFF)
                i += 2;
            if (u < 0xD800 || u > 0xDFFF)
                sj = cp932::FromUnicode(u);
        } else {
            i += 1;  // an odd last byte
        }
        if (sj == 0) {
            sj = 0x81AC;
            ++r.code;
        }
        if (sj >= 0x100)
            r.text += static_cast<char>(sj >> 8);
        r.text += static_cast<char>(sj & 0xFF);
    }
    return r;
}

// Shift-JIS to UTF-16 by code page 932, behind a mark when asked; 〓 for
// bytes the code page gives no character. `code` is the number replaced.
inline Result Utf16OnSave(const std::string& text, bool bigEndian, bool mark)
{
    Result r;
    auto put = [&](unsigned u) {
        const char hi = static_cast<char>(u >> 8), lo = static_cast<char>(u & 0xFF);
        r.text += bigEndian ? hi : lo;
        r.text += bigEndian ? lo : hi;
    };
    if (mark)
        put(0xFEFF);
    const std::size_t len = text.size();
    std::size_t i = 0;
    while (i < len) {
        Step(&r, i, len);
        const std::uint32_t u = NextCharacter(text, &i, &r);
        put(u);
    }
    return r;
}

inline Result KanjiOnLoad(const std::string& text, KanjiCode detected)
{
    if (detected == KanjiCode::UTF8) {
        const bool mark = text.compare(0, 3, "\xEF\xBB\xBF") == 0;
        Result r = Utf8OnLoad(text, mark);
        r.replaced = static_cast<std::uint64_t>(r.code);
        r.code = static_cast<int>(detected);
        return r;
    }
    Result r;
    r.code = static_cast<int>(detected);
    if (detected == KanjiCode::ShiftJIS) {
        r.text = text;
        return r;
    }
    const std::size_t len = text.size();
    auto at = [&](std::size_t k) -> unsigned { return k < len ? static_cast<unsigned char>(text[k]) : 0u; };
    bool mode = false, kana = false;
    std::size_t i = 0;
    while (i < len) {
        Step(&r, i, len);
        unsigned c1 = at(i), c2 = at(i + 1), c3 = at(i + 2);
        if (kana && c1 >= 0x21 && c1 <= 0x5F) {  // after ESC ( I
            r.text += static_cast<char>(c1 + 0x80);
            i += 1;
            continue;
        }
        if (c1 == 0x8E && c2 >= 0xA1 && c2 <= 0xDF) {  // EUC's half-width katakana
            r.text += static_cast<char>(c2);
            i += 2;
            continue;
        }
        if (c1 == 0x8F && c2 >= 0xA1 && c2 <= 0xFE && c3 >= 0xA1 && c3 <= 0xFE) {  // EUC's three bytes
            unsigned sj = cp932::kEucSupplement[(c2 - 0xA1) * 94 + (c3 - 0xA1)];
            if (sj == 0) {
                sj = 0x81AC;
                ++r.replaced;
            }
            r.text += static_cast<char>(sj >> 8);
            r.text += static_cast<char>(sj & 0xFF);
            i += 3;
            continue;
        }
        const bool jisPair = mode && c1 >= 0x21 && c2 <= 0x7E;
        if (jisPair) { c1 |= 0x80; c2 |= 0x80; }
        if (c1 >= 0xA1 && c2 <= 0xFE) {
            unsigned j1 = c1 & 0x7F, j2 = c2 & 0x7F, s1, s2;
            if (j1 & 1) { s1 = (j1 + 1) / 2 + 0x70; s2 = j2 + 0x1F; } else { s1 = j1 / 2 + 0x70; s2 = j2 + 0x7D; }
            if (s1 >= 0xA0) s1 += 0x40;
            if (s2 >= 0x7F) s2 += 1;
            // EUC's rows F5-F8 and FD-FE are the user-defined F0, F1 and F4.
            if (!jisPair && (c1 == 0xF5 || c1 == 0xF6 || c1 == 0xF7 || c1 == 0xF8 || c1 == 0xFD || c1 == 0xFE))
                s1 = c1 <= 0xF8 ? 0xF0 + (c1 - 0xF5) / 2 : 0xF4;
            r.text += static_cast<char>(s1);
            r.text += static_cast<char>(s2);
            i += 2;
        } else if (at(i) == 0x1B) {
            unsigned b1 = at(i + 1), b2 = at(i + 2);
            if (b1 == '$' && b2 == '(') { i += 4; mode = true; kana = false; }
            else if (b1 == '$' && (b2 == '@' || b2 == 'B')) { i += 3; mode = true; kana = false; }
            else if (b1 == '&') { i += 6; mode = true; kana = false; }
            else if (b1 == '(') { i += 3; mode = false; kana = b2 == 'I'; }
            else { r.text += '\x1B'; i += 1; }
        } else {
            r.text += static_cast<char>(at(i));
            i += 1;
        }
    }
    return r;
}

inline Result LineBreaksOnSave(const std::string& text, LineBreakCode target)
{
    Result r;
    if (target == LineBreakCode::CrLf) {
        r.text = text;
        return r;
    }
    const std::size_t len = text.size();
    std::size_t i = 0;
    while (i < len) {
        Step(&r, i, len);
        if (text[i] == '\r') {
            i += (i + 1 < len && text[i + 1] == '\n') ? 2 : 1;
            r.text += target == LineBreakCode::LfCr ? "\n\r" : target == LineBreakCode::Cr ? "\r" : "\n";
        } else {
            r.text += text[i++];
        }
    }
    return r;
}

// The EUC of a Shift-JIS pair: j1 j2, 0x8F j1 j2, or 0 for none. The
// user-defined area (F040-F9FC, 188 codes a lead) runs through the rows
// F5-FE, two bytes then behind 8F; its codes in the rows F9-FC, which are
// read as the NEC-selected extensions, have none.
inline unsigned long EucOfPair(unsigned c1, unsigned c2)
{
    unsigned s1 = c1 >= 0xE0 ? c1 - 0x40 : c1, s2 = c2 >= 0x80 ? c2 - 1 : c2, j1, j2;
    if (s2 >= 0x9E) { j1 = (s1 - 0x70) * 2; j2 = s2 - 0x7D; } else { j1 = (s1 - 0x70) * 2 - 1; j2 = s2 - 0x1F; }
    const unsigned long plain = (j1 | 0x80) << 8 | (j2 | 0x80);
    if (c1 >= 0xF0 && c1 <= 0xF9) {
        const unsigned n = (c1 - 0xF0) * 188 + (c2 - 0x40 - (c2 > 0x7F ? 1 : 0));
        const unsigned row = n % 940 / 94, cell = n % 94;
        if (n < 940 && row >= 4 && row <= 7)
            return 0;
        return (n >= 940 ? 0x8F0000ul : 0ul) | (0xF5ul + row) << 8 | (0xA1 + cell);
    }
    if (c1 == 0x87 || c1 == 0xED || c1 == 0xEE || c1 >= 0xFA) {
        const unsigned long known = cp932::EucOfExtension(static_cast<unsigned char>(c1), static_cast<unsigned char>(c2));
        return known || c1 >= 0xFA ? known : plain;
    }
    return c1 == 0xEB || c1 == 0xEC || c1 == 0xEF ? 0 : plain;
}

inline Result KanjiOnSave(const std::string& text, KanjiCode target, bool mark = false)
{
    if (target == KanjiCode::UTF8)
        return Utf8OnSave(text, mark);
    if (target == KanjiCode::UTF16 || target == KanjiCode::UTF16BE)
        return Utf16OnSave(text, target == KanjiCode::UTF16BE, mark);
    Result r;
    const std::size_t len = text.size();
    auto at = [&](std::size_t k) -> unsigned { return k < len ? static_cast<unsigned char>(text[k]) : 0u; };
    enum { Ascii, Kanji, Kana } mode = Ascii;
    auto jisPair = [&](unsigned j1, unsigned j2) {
        if (mode != Kanji) { r.text += "\x1B$B"; mode = Kanji; }
        r.text += static_cast<char>(j1);
        r.text += static_cast<char>(j2);
    };
    std::size_t i = 0;
    while (i < len) {
        Step(&r, i, len);
        unsigned c1 = at(i), c2 = i + 1 < len ? at(i + 1) : 0x100;
        const bool katakana = c1 >= 0xA1 && c1 <= 0xDF;
        bool lead = (c1 >= 0x81 && c1 <= 0x9F) || (c1 >= 0xE0 && c1 <= 0xFC);
        bool trail = (c2 >= 0x40 && c2 <= 0x7E) || (c2 >= 0x80 && c2 <= 0xFC);
        if (target == KanjiCode::ShiftJIS) {
            r.text += static_cast<char>(c1);
            if (lead && trail)
                r.text += static_cast<char>(c2);
            i += lead && trail ? 2 : 1;
        } else if (lead && trail && target == KanjiCode::EUC) {
            const unsigned long e = EucOfPair(c1, c2);
            if (e == 0) { r.text += "\xA2\xAE"; ++r.replaced; }
            if (e > 0xFFFF) r.text += '\x8F';
            if (e) { r.text += static_cast<char>(e >> 8 & 0xFF); r.text += static_cast<char>(e & 0xFF); }
            i += 2;
        } else if (lead && trail) {  // JIS: the IBM rows by their twins, no user-defined area
            unsigned s1 = c1, s2 = c2;
            if (c1 >= 0xF0) {
                const unsigned twin = cp932::IbmTwin(static_cast<unsigned char>(c1), static_cast<unsigned char>(c2));
                s1 = twin >> 8;
                s2 = twin & 0xFF;
            }
            if (s1 == 0) {
                jisPair(0x22, 0x2E);
                ++r.replaced;
            } else {
                if (s1 >= 0xE0) s1 -= 0x40;
                if (s2 >= 0x80) s2 -= 1;
                if (s2 >= 0x9E) jisPair((s1 - 0x70) * 2, s2 - 0x7D); else jisPair((s1 - 0x70) * 2 - 1, s2 - 0x1F);
            }
            i += 2;
        } else if (target == KanjiCode::JIS && katakana) {
            if (mode != Kana) { r.text += "\x1B(I"; mode = Kana; }
            r.text += static_cast<char>(c1 - 0x80);
            i += 1;
        } else if (target == KanjiCode::JIS && c1 >= 0x80) {
            jisPair(0x22, 0x2E);
            ++r.replaced;
            i += 1;
        } else if (target == KanjiCode::EUC && c1 >= 0xE0) {
            r.text += "\xA2\xAE";
            ++r.replaced;
            i += 1;
        } else {
            if (mode != Ascii) { r.text += "\x1B(B"; mode = Ascii; }
            if (target == KanjiCode::EUC && katakana)
                r.text += '\x8E';
            r.text += static_cast<char>(c1);
            i += 1;
        }
    }
    if (mode == Kana)
        r.text += "\x1B(B";
    r.code = static_cast<int>(r.replaced);
    return r;
}

}  // namespace reference
