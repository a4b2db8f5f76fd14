// Word-at-a-time helpers for the conversion passes' fast paths.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>

#include "codec/vector.h"
#if defined(VEXA_SSE2)
#include <emmintrin.h>
#endif

// The control bytes the passes look for: the line breaks, and the escape
// that begins JIS's switches.
constexpr unsigned char CR = 0x0D;
constexpr unsigned char LF = 0x0A;
constexpr unsigned char ESC = 0x1B;

namespace bytes {

constexpr std::uint64_t kOnes = 0x0101010101010101ull;
constexpr std::uint64_t kHigh = 0x8080808080808080ull;

inline std::uint64_t Load64(const unsigned char* p)
{
    std::uint64_t w;
    std::memcpy(&w, p, 8);
    return w;
}

inline void Store64(unsigned char* p, std::uint64_t w) { std::memcpy(p, &w, 8); }

// True when some byte of w is zero (exact as a yes/no answer).
inline bool HasZeroByte(std::uint64_t w) { return ((w - kOnes) & ~w & kHigh) != 0; }

inline bool HasByte(std::uint64_t w, unsigned char b) { return HasZeroByte(w ^ (kOnes * b)); }

inline bool HasHighByte(std::uint64_t w) { return (w & kHigh) != 0; }

// High bit set in each byte of w equal to b. Bytes after the first match may
// be marked wrongly, so only the lowest mark is exact.
inline std::uint64_t MarkByte(std::uint64_t w, unsigned char b)
{
    std::uint64_t x = w ^ (kOnes * b);
    return (x - kOnes) & ~x & kHigh;
}

// Bits set in a 16-bit mask (a block's byte mask), without needing POPCNT.
inline unsigned CountBits16(unsigned x)
{
    x = x - ((x >> 1) & 0x5555u);
    x = (x & 0x3333u) + ((x >> 2) & 0x3333u);
    x = (x + (x >> 4)) & 0x0F0Fu;
    return (x + (x >> 8)) & 0x1Fu;
}

// Index of the first marked byte of a non-zero mark (words are little-endian
// on every target of this program).
inline unsigned FirstMarked(std::uint64_t mark) { return static_cast<unsigned>(__builtin_ctzll(mark)) >> 3; }

// Copies whole words from src + *i to dst + *o while a word fits before
// `end` and `stops(word)` is false; advances both positions and returns the
// bytes copied. dst may be src itself, at or before the reading position.
template <typename Stops>
inline std::size_t CopyWords(const unsigned char* src, std::size_t* i, std::size_t end, unsigned char* dst,
                             std::size_t* o, Stops stops)
{
    std::size_t from = *i, to = *o;
    while (from + 8 <= end) {
        const std::uint64_t w = Load64(src + from);
        if (stops(w))
            break;
        Store64(dst + to, w);
        from += 8;
        to += 8;
    }
    const std::size_t copied = from - *i;
    *i = from;
    *o = to;
    return copied;
}

// The first position from i on, before `end`, of a byte of 0x80 or more or
// (when `alsoStop`) of the byte `stop`; at most `end`.
inline std::size_t SkipPlain(const unsigned char* t, std::size_t i, std::size_t end, unsigned char stop, bool alsoStop)
{
#if defined(VEXA_SSE2)
    const __m128i vs = _mm_set1_epi8(static_cast<char>(stop));
    while (i + 16 <= end) {
        const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(t + i));
        unsigned mark = static_cast<unsigned>(_mm_movemask_epi8(v));
        if (alsoStop)
            mark |= static_cast<unsigned>(_mm_movemask_epi8(_mm_cmpeq_epi8(v, vs)));
        if (mark)
            return i + static_cast<unsigned>(__builtin_ctz(mark));
        i += 16;
    }
#endif
    const std::uint64_t stopMark = alsoStop ? ~std::uint64_t{0} : 0;
    while (i + 8 <= end) {
        const std::uint64_t w = Load64(t + i);
        const std::uint64_t mark = (w & kHigh) | (MarkByte(w, stop) & stopMark);
        if (mark)
            return i + FirstMarked(mark);
        i += 8;
    }
    while (i < end && t[i] < 0x80 && !(alsoStop && t[i] == stop))
        ++i;
    return i;
}

// Copy sixteen bytes (CopyBlocks) or eight (CopyWordsUntil) at a time from
// src + *from to dst + *to while a block fits before `end`, up to the first
// byte that `marks` marks; each block is stored whole, past that byte too.
// Advance both positions; true when they stopped at a marked byte.
#if defined(VEXA_SSE2)
template <typename Marks>
inline bool CopyBlocks(const unsigned char* src, std::size_t* from, std::size_t end, unsigned char* dst,
                       std::size_t* to, Marks marks)
{
    while (*from + 16 <= end) {
        const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(src + *from));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(dst + *to), v);
        if (const unsigned mark = marks(v)) {
            const unsigned k = static_cast<unsigned>(__builtin_ctz(mark));
            *from += k;
            *to += k;
            return true;
        }
        *from += 16;
        *to += 16;
    }
    return false;
}
#endif

template <typename Marks>
inline bool CopyWordsUntil(const unsigned char* src, std::size_t* from, std::size_t end, unsigned char* dst,
                           std::size_t* to, Marks marks)
{
    while (*from + 8 <= end) {
        const std::uint64_t w = Load64(src + *from);
        Store64(dst + *to, w);
        if (const std::uint64_t mark = marks(w)) {
            const unsigned k = FirstMarked(mark);
            *from += k;
            *to += k;
            return true;
        }
        *from += 8;
        *to += 8;
    }
    return false;
}

// Copies from src + *i to dst + *o up to the first byte a or b, or until
// less than a block is left before `end`; advances both positions and
// returns the bytes copied. Whole blocks are stored past the byte found, so
// dst is another buffer with room for 16 bytes beyond each position written
// (the load's line-break pass has it: each byte read may become two).
inline std::size_t CopyUntil(const unsigned char* src, std::size_t* i, std::size_t end, unsigned char* dst,
                             std::size_t* o, unsigned char a, unsigned char b)
{
    std::size_t from = *i, to = *o;
#if defined(VEXA_SSE2)
    const __m128i va = _mm_set1_epi8(static_cast<char>(a)), vb = _mm_set1_epi8(static_cast<char>(b));
    const bool found = CopyBlocks(src, &from, end, dst, &to, [&](__m128i v) {
        return static_cast<unsigned>(_mm_movemask_epi8(_mm_or_si128(_mm_cmpeq_epi8(v, va), _mm_cmpeq_epi8(v, vb))));
    });
    if (!found)
#endif
        CopyWordsUntil(src, &from, end, dst, &to,
                       [&](std::uint64_t w) { return MarkByte(w, a) | MarkByte(w, b); });
    const std::size_t copied = from - *i;
    *i = from;
    *o = to;
    return copied;
}

// Moves the run of bytes below 0x80 at t + *i down to t + *o (*o <= *i),
// up to the first byte of 0x80 or more or `end`; advances both positions
// and returns the bytes moved. While the run lies a whole block below its
// source, blocks are stored whole as they are read: the bytes a block
// carries past the run land below *i, on bytes already read, and are
// written over later. Closer, the run is found first and moved as one.
inline std::size_t MovePlainDown(unsigned char* t, std::size_t* i, std::size_t end, std::size_t* o)
{
    std::size_t from = *i, to = *o;
    bool found = false;
#if defined(VEXA_SSE2)
    if (from - to >= 16)
        found = CopyBlocks(t, &from, end, t, &to,
                           [](__m128i v) { return static_cast<unsigned>(_mm_movemask_epi8(v)); });
#endif
    if (!found && from - to >= 8)
        found = CopyWordsUntil(t, &from, end, t, &to, [](std::uint64_t w) { return w & kHigh; });
    if (!found) {
        const std::size_t plain = SkipPlain(t, from, end, 0, false);
        if (to != from)
            std::memmove(t + to, t + from, plain - from);
        to += plain - from;
        from = plain;
    }
    const std::size_t moved = from - *i;
    *i = from;
    *o = to;
    return moved;
}

static_assert(__BYTE_ORDER__ == __ORDER_LITTLE_ENDIAN__, "word scans assume little-endian");

}  // namespace bytes
