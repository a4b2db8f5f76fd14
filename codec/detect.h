// Detection on a text whose length is known (no zero byte within it), for
// the load pass that has just measured it.
#pragma once

#include <cstddef>

#include "codec/codes.h"

KanjiCode DetectKanjiCodeOfLength(const char* text, std::size_t length);
