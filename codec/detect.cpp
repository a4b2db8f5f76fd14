#include <cstring>

#include "codec/bytes.h"
#include "codec/convert.h"

std::size_t TextLength(const char* text, std::size_t size)
{
    const void* zero = std::memchr(text, 0, size);
    return zero ? static_cast<std::size_t>(static_cast<const char*>(zero) - text) : size;
}

KanjiCode DetectKanjiCode(const char* text, std::size_t size)
{
    const unsigned char* t = reinterpret_cast<const unsigned char*>(text);
    const std::size_t len = TextLength(text, size);
    std::size_t p = 0;
    while (p < len) {
        // Bytes below 0x80 are evidence of nothing; skip them a word at a time.
        while (p + 8 <= len && !bytes::HasHighByte(bytes::Load64(t + p)))
            p += 8;
        if (p >= len)
            break;
        unsigned a = t[p];
        if (a >= 0x80) {
            unsigned b = p + 1 < len ? t[p + 1] : 0;  // the terminator follows the last byte
            if (a <= 0xA0 && ((b >= 0x40 && b <= 0x7E) || (b >= 0x80 && b <= 0xFC)))
                return KanjiCode::ShiftJIS;
            if (a >= 0xA1 && a <= 0xDF && b >= 0xA1 && b <= 0xFE)
                return KanjiCode::EUC;
        }
        ++p;
    }
    return KanjiCode::JIS;
}
