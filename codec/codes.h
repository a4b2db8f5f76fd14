// Kanji and line-break codes of a text file, and the rule that turns a menu
// setting into the code a save actually writes.
#pragma once

#include <cstdint>

enum class KanjiCode : std::int32_t {
    Auto = 0,      // a setting only: use the code detected at the last load
    JIS = 1,       // 7-bit JIS with escape sequences
    EUC = 2,
    ShiftJIS = 3,  // the internal form
    UTF8 = 4,      // code page 932's characters as UTF-8, with or without a byte-order mark
    UTF16 = 5,     // UTF-16 little-endian behind its byte-order mark (FF FE)
    UTF16BE = 6,   // UTF-16 big-endian behind its byte-order mark (FE FF)
};

// The two orders of UTF-16.
inline bool IsUtf16(KanjiCode code) { return code == KanjiCode::UTF16 || code == KanjiCode::UTF16BE; }

enum class LineBreakCode : std::int32_t {
    Auto = 0,  // a setting only
    LfCr = 1,  // 0A 0D
    Cr = 2,    // 0D
    Lf = 3,    // 0A
    CrLf = 4,  // 0D 0A, the internal form
};

// The code a save writes: the setting, or the detected code under Auto.
KanjiCode EffectiveKanjiCode(KanjiCode setting, KanjiCode detected);
LineBreakCode EffectiveLineBreakCode(LineBreakCode setting, LineBreakCode detected);

// The names the menus and boxes give the codes ("S-JIS", "UTF-16BE", ...).
const char* KanjiCodeMenuName(KanjiCode code);
const char* LineBreakCodeMenuName(LineBreakCode code);  // "CR LF", "LF", "CR", "LF CR"

// Names used by the converter's report line ("JIS", "CrLf", ...).
const char* KanjiCodeName(KanjiCode code);
const char* LineBreakCodeName(LineBreakCode code);
