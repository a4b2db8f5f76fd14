// Word-at-a-time helpers for the conversion passes' fast paths.
#pragma once

#include <cstdint>
#include <cstring>

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

// Index of the first marked byte of a non-zero mark (words are little-endian
// on every target of this program).
inline unsigned FirstMarked(std::uint64_t mark) { return static_cast<unsigned>(__builtin_ctzll(mark)) >> 3; }

static_assert(__BYTE_ORDER__ == __ORDER_LITTLE_ENDIAN__, "word scans assume little-endian");

}  // namespace bytes
