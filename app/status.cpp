#include "app/status.h"

#include <cstdio>
#include <cstring>

#include "codec/sjis.h"

void FormatStatus(char* out, std::size_t size, unsigned keyCode, bool edited, int textSize,
                  int line, int lineCount, int selection)
{
    if (size == 0)
        return;
    char full[256];
    std::snprintf(full, sizeof full,
                  edited ? "KeyCode = %08X : 編集あり : Size = %dBytes : Line = %d/%d : 選択量 %dBytes"
                         : "KeyCode = %08X : 編集無し : Size = %dBytes : Line = %d/%d : 選択量 %dBytes",
                  keyCode, textSize, line, lineCount, selection);
    std::size_t length = std::strlen(full);
    if (length >= size) {
        // Keep whole characters only.
        std::size_t cut = 0;
        for (std::size_t i = 0; i < size - 1;) {
            std::size_t step = sjis::CharLength(full, length, i);
            if (i + step > size - 1)
                break;
            i += step;
            cut = i;
        }
        length = cut;
    }
    std::memcpy(out, full, length);
    out[length] = 0;
}

const char* KeySoundFile(unsigned virtualKey, bool repeated)
{
    switch (virtualKey) {
    case 0x0D:  // VK_RETURN
        return "Sound2.WAV";
    case 0x10:  // VK_SHIFT
        return repeated ? nullptr : "Sound3.WAV";
    case 0x11: case 0x13: case 0x1B: case 0x1C: case 0x1D:  // Control, Pause, Esc, Convert, NonConvert
    case 0x23: case 0x24: case 0x5B: case 0x5D: case 0x90: case 0x91:  // End, Home, LWin, Apps, NumLock, Scroll
    case 0xF0: case 0xF1: case 0xF2: case 0xF3: case 0xF4:  // the Japanese keyboard's mode keys
        return repeated ? nullptr : "Sound1.WAV";
    default:
        return "Sound1.WAV";
    }
}

void FormatSaveCodes(char* out, std::size_t size, KanjiCode kanji, LineBreakCode lineBreak, bool byteOrderMark)
{
    std::snprintf(out, size, "%s%s  %s", KanjiCodeMenuName(kanji),
                  kanji == KanjiCode::UTF8 && byteOrderMark ? " BOM" : "", LineBreakCodeMenuName(lineBreak));
}
