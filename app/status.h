// The status line of the panes and the key-click sounds.
#pragma once

#include <cstddef>

#include "codec/codes.h"

// Formats the status text within size bytes (108 in the editor), cut at a
// character boundary when the numbers make it longer.
void FormatStatus(char* out, std::size_t size, unsigned keyCode, bool edited, int textSize,
                  int line, int lineCount, int selection);

// The sound file for a key press, or null when it stays silent. repeated is
// bit 30 of the key message (the key was already down).
const char* KeySoundFile(unsigned virtualKey, bool repeated);

// The codes a save would write now, for the status line's second part:
// "EUC  LF", "UTF-8 BOM  CR LF" (a mark is written).
void FormatSaveCodes(char* out, std::size_t size, KanjiCode kanji, LineBreakCode lineBreak, bool byteOrderMark);
