// The choice the Shift-JIS writers of EUC and JIS make between their two
// builds: without a check of the room left where the output holds the
// most any text of that length can give (five bytes a byte and the
// terminating zero), with one where it may not.
#pragma once

#include <cstddef>
#include <cstdint>

#include "codec/progress.h"

using ShiftJisWriter = std::size_t (*)(const unsigned char* text, std::size_t length, unsigned char* output,
                                       std::size_t outputCapacity, const ProgressSink* progress,
                                       std::uint64_t* count);

// Writes with one of the two, adding the characters written as 〓 to
// *replaced; nothing where there is no room for the zero.
inline std::size_t WriteEither(ShiftJisWriter unchecked, ShiftJisWriter checked, const unsigned char* text,
                               std::size_t length, unsigned char* output, std::size_t outputCapacity,
                               const ProgressSink* progress, std::uint64_t* replaced)
{
    if (outputCapacity == 0)
        return 0;
    std::uint64_t count = 0;
    const std::size_t n = outputCapacity >= 5 * (static_cast<std::uint64_t>(length) + 1)
                              ? unchecked(text, length, output, outputCapacity, progress, &count)
                              : checked(text, length, output, outputCapacity, progress, &count);
    if (replaced)
        *replaced += count;
    return n;
}
