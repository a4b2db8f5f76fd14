// Detection of the kanji code: UTF-8 by its own rule, and otherwise the
// first byte pair that only Shift-JIS or only EUC can hold decides; a text
// with neither is taken as JIS.
#include <cstring>

#include "codec/bytes.h"
#include "codec/convert.h"
#include "codec/detect.h"
#include "codec/sjis.h"
#include "codec/utf8.h"

std::size_t TextLength(const char* text, std::size_t size)
{
    const void* zero = std::memchr(text, 0, size);
    return zero ? static_cast<std::size_t>(static_cast<const char*>(zero) - text) : size;
}

KanjiCode DetectKanjiCodeOfLength(const char* text, std::size_t len)
{
    return utf8::IsUtf8Text(text, len) ? KanjiCode::UTF8 : DetectLegacyKanjiCode(text, len);
}

KanjiCode DetectLegacyKanjiCode(const char* text, std::size_t len)
{
    const unsigned char* t = reinterpret_cast<const unsigned char*>(text);
    std::size_t p = 0;
    while (p < len) {
        // Bytes below 0x80 are evidence of nothing; skip them a word at a time.
        while (p + 8 <= len && !bytes::HasHighByte(bytes::Load64(t + p)))
            p += 8;
        if (p >= len)
            break;
        unsigned char a = t[p];
        if (a >= 0x80) {
            unsigned char b = p + 1 < len ? t[p + 1] : 0;  // the terminator follows the last byte
            if (sjis::IsShiftJisOnlyLead(a) && sjis::IsTrail(b))
                return KanjiCode::ShiftJIS;
            if (sjis::IsEucEvidence(a, b))
                return KanjiCode::EUC;
        }
        ++p;
    }
    return KanjiCode::JIS;
}

KanjiCode DetectKanjiCode(const char* text, std::size_t size)
{
    return DetectKanjiCodeOfLength(text, TextLength(text, size));
}
