// Detection on a text whose length is known (no zero byte within it), for
// the load pass that has just measured it.
#pragma once

#include <cstddef>

#include "codec/codes.h"

// UTF-8 by its own rule first (utf8::IsUtf8Text), then JIS, EUC or
// Shift-JIS by the rule below.
KanjiCode DetectKanjiCodeOfLength(const char* text, std::size_t length);

// The rule for texts that are not UTF-8. The first answer is the first
// byte pair that only Shift-JIS or only EUC can hold (JIS when there is
// none); then it is checked against the whole text:
// - EUC, but the text holds a byte EUC never has (80-8D, 90-A0, FF) and
//   reads whole as Shift-JIS: Shift-JIS;
// - Shift-JIS by a pair that begins with EUC's single shift 8E or 8F, and
//   the text reads whole as EUC: EUC.
// A text that reads whole in both codes otherwise keeps the first answer.
KanjiCode DetectLegacyKanjiCode(const char* text, std::size_t length);

// Whether every byte of 0x80 or more is part of a character: of EUC (8E
// and A1-DF, 8F and two bytes A1-FE, two bytes A1-FE), or of code page 932
// (a half-width katakana, or a pair the code page has a character for).
bool IsEucText(const char* text, std::size_t length);
bool IsShiftJisText(const char* text, std::size_t length);

// The same rule on a text that comes a part at a time (the converter's
// scout): Feed each part in order, then Finish. Where the answer waits on
// whether the whole text is Shift-JIS, Finish says so, and Resolve gives
// the answer once that is known (IsShiftJisText, or ShiftJisChecker on the
// parts again).
class LegacyDetector {
public:
    void Feed(const char* text, std::size_t length);
    // Nothing that follows can change the answer.
    bool Done() const { return done_; }
    // True when the answer needs to know whether the whole text is Shift-JIS.
    bool Finish();
    KanjiCode Resolve(bool shiftJisText = false) const;

private:
    void Step(unsigned c);
    void Evidence(unsigned a, unsigned b);
    KanjiCode first_ = KanjiCode::JIS;
    unsigned lead_ = 0;            // the first byte of the pair that decided
    unsigned previous_ = 0;        // the byte before, for the first answer
    bool hasPrevious_ = false;
    unsigned eucNeed_ = 0, eucLow_ = 0, eucHigh_ = 0;  // EUC's bytes still due, and their range
    bool eucText_ = true;
    unsigned sjisLead_ = 0;        // a Shift-JIS lead waiting for its trail
    bool sjisText_ = true;
    bool sjisKnown_ = true;        // the Shift-JIS check ran over every byte
    bool eucNever_ = false;        // a byte EUC never has
    bool done_ = false;
};

// Whether a text that comes a part at a time is Shift-JIS throughout
// (IsShiftJisText on the whole).
class ShiftJisChecker {
public:
    void Feed(const char* text, std::size_t length);
    bool Finish() const { return valid_ && lead_ == 0; }

private:
    unsigned lead_ = 0;
    bool valid_ = true;
};
