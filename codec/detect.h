// Detection on a text whose length is known (no zero byte within it), for
// the load pass that has just measured it.
#pragma once

#include <cstddef>

#include "codec/codes.h"

// UTF-8 by its own rule first (utf8::IsUtf8Text), then JIS, EUC or
// Shift-JIS by the first byte pair that shows one of them.
KanjiCode DetectKanjiCodeOfLength(const char* text, std::size_t length);

// The rule for texts that are not UTF-8: the first byte pair that only
// Shift-JIS or only EUC can hold decides; JIS when there is none.
KanjiCode DetectLegacyKanjiCode(const char* text, std::size_t length);
