// Search and replace on the panes, over a snapshot of the main pane's text.
#include <windows.h>

#include <cstdio>
#include <cstring>

#include "app/appstate.h"
#include "app/global_buffer.h"
#include "app/shell.h"
#include "find/finder.h"
#include "find/search.h"
#include "res/resource.h"

namespace {

// A copy of the main pane's text in a movable block, kept equal to the
// pane by a refresh after every replacement.
class Snapshot {
public:
    bool Take()
    {
        length_ = Length();
        return FillIf(block_.Allocate(length_ + 16));
    }
    // The pane replaced the m bytes at p with `replacement`: the copy
    // follows without reading the whole text back. False when the block
    // cannot grow; the operation stops there.
    bool Replaced(std::size_t p, std::size_t m, const char* replacement, std::size_t r)
    {
        if (r > m && !block_.Grow(length_ + (r - m) + 16))
            return false;
        char* text = block_.get();
        std::memmove(text + p + r, text + p + m, length_ - p - m + 1);
        std::memcpy(text + p, replacement, r);
        length_ = length_ - m + r;
        return true;
    }
    const char* text() const { return block_.get(); }
    std::size_t length() const { return length_; }

private:
    static std::size_t Length()
    {
        return static_cast<std::size_t>(SendMessageA(AppState.hwndEdit, WM_GETTEXTLENGTH, 0, 0));
    }
    // Copies the pane's text when the block is there.
    bool FillIf(bool held)
    {
        if (!held)
            return false;
        char* text = block_.get();
        LRESULT n = SendMessageA(AppState.hwndEdit, WM_GETTEXT, length_ + 16, reinterpret_cast<LPARAM>(text));
        if (n < 0 || static_cast<std::size_t>(n) > length_)
            n = 0;
        length_ = static_cast<std::size_t>(n);
        text[length_] = 0;
        return true;
    }
    GlobalBuffer block_;
    std::size_t length_ = 0;
};

// The scans count bytes; the panes count their positions in characters
// under Wine and in bytes on Windows (PanesCountCharacters). Positions are
// converted here, at the boundary, and only where the panes count
// characters: converting for a pane that counts bytes would select the
// wrong text after every two-byte character.
long SelectionStart(HWND pane, const Snapshot& snap)
{
    DWORD start = 0;
    SendMessageA(pane, EM_GETSEL, reinterpret_cast<WPARAM>(&start), 0);
    return static_cast<long>(ByteOffsetOfPaneOffset(snap.text(), snap.length(), start, PanesCountCharacters()));
}

long PaneOffset(const char* text, std::size_t length, std::size_t byteOffset)
{
    return static_cast<long>(PaneOffsetOfByte(text, length, byteOffset, PanesCountCharacters()));
}

long CharIndex(const Snapshot& snap, std::size_t byteOffset) { return PaneOffset(snap.text(), snap.length(), byteOffset); }

// The pane's units a match at the byte p spans.
long Span(const char* text, std::size_t length, std::size_t p, const char* pattern, std::size_t m)
{
    std::size_t chars = 0;
    MatchSpan(text, length, p, pattern, m, &chars);
    return static_cast<long>(PanesCountCharacters() ? chars : m);
}

long Span(const Snapshot& snap, std::size_t p, const char* pattern, std::size_t m)
{
    return Span(snap.text(), snap.length(), p, pattern, m);
}

long FirstVisibleLine(HWND pane) { return static_cast<long>(SendMessageA(pane, EM_GETFIRSTVISIBLELINE, 0, 0)); }

void Redraw(HWND pane, bool on)
{
    SendMessageA(pane, WM_SETREDRAW, on ? TRUE : FALSE, 0);
    if (on)
        InvalidateRect(pane, NULL, TRUE);
}

// Scrolls the match's line to the top, as far as the pane can, and selects
// it: characters from `first` up to `end`.
void ShowMatch(HWND pane, long first, long end, long firstLine, bool suspendRedraw)
{
    if (suspendRedraw)
        Redraw(pane, false);
    long line = static_cast<long>(SendMessageA(pane, EM_LINEFROMCHAR, first, 0));
    SendMessageA(pane, EM_LINESCROLL, 0, line - firstLine);
    SendMessageA(pane, EM_SETSEL, first, end);
    if (suspendRedraw)
        Redraw(pane, true);
}

void ScrollBackTo(HWND pane, long firstLine)
{
    SendMessageA(pane, EM_LINESCROLL, 0, firstLine - FirstVisibleLine(pane));
}

// A replacement is a step of its own in the history, never typing, even
// where it comes down to one character inserted.
void Replace(HWND pane, long first, long end, const char* replacement)
{
    SendMessageA(pane, EM_SETSEL, first, end);
    NoteNoTyping();
    SendMessageA(pane, EM_REPLACESEL, TRUE, reinterpret_cast<LPARAM>(replacement));
}

// FindNext and the first half of ReplaceNext. Returns the match or kNoMatch.
long FindNextShown(const Snapshot& snap, long s, long firstLine, const char* pattern, std::size_t m)
{
    long p = FindForward(snap.text(), snap.length(), s + 1, pattern, m);
    long shown = p;
    if (p == kNoMatch) {
        long end = static_cast<long>(snap.length()) - static_cast<long>(m);
        shown = s > end ? s : end;
    }
    DrawFinderMeter(SearchPercent(shown, snap.length()));
    if (p != kNoMatch) {
        long first = CharIndex(snap, p);
        ShowMatch(AppState.hwndActiveEdit, first, first + Span(snap, p, pattern, m), firstLine, true);
    }
    return p;
}

// What every operation notes first: the active pane, its first visible
// line, the snapshot and the selection's start in bytes.
struct Begin {
    HWND pane = AppState.hwndActiveEdit;
    long firstLine = FirstVisibleLine(AppState.hwndActiveEdit);
    Snapshot snap;
    long s = 0;
    bool Take()
    {
        if (!snap.Take())
            return false;
        s = SelectionStart(pane, snap);
        return true;
    }
};

}  // namespace

ErrorCode FindNext(const char* pattern)
{
    Begin op;
    if (!op.Take())
        return EC_NO_MEMORY;
    FindNextShown(op.snap, op.s, op.firstLine, pattern, std::strlen(pattern));
    return EC_SUCCESS;
}

ErrorCode FindPrev(const char* pattern)
{
    Begin op;
    if (!op.Take())
        return EC_NO_MEMORY;
    std::size_t m = std::strlen(pattern);
    long p = op.s >= 1 ? FindBackward(op.snap.text(), op.snap.length(), op.s - 1, pattern, m) : kNoMatch;
    DrawFinderMeter(p == kNoMatch ? 0 : SearchPercent(p, op.snap.length()));
    if (p != kNoMatch) {
        long first = CharIndex(op.snap, p);
        ShowMatch(op.pane, first, first + Span(op.snap, p, pattern, m), op.firstLine, true);
    }
    return EC_SUCCESS;
}

ErrorCode ReplaceNext(const char* pattern, const char* replacement)
{
    Begin op;
    if (!op.Take())
        return EC_NO_MEMORY;
    std::size_t m = std::strlen(pattern);
    long p = FindNextShown(op.snap, op.s, op.firstLine, pattern, m);
    if (p != kNoMatch &&
        MessageBoxA(AppState.hwndMain, "置換しますか？", "発見しました", MB_YESNO | MB_ICONQUESTION) == IDYES) {
        long first = CharIndex(op.snap, p);
        Replace(AppState.hwndEdit, first, first + Span(op.snap, p, pattern, m), replacement);
    }
    return EC_SUCCESS;
}

// The whole result is worked out on the snapshot first; the main pane then
// takes two replacements instead of one per match: everything from the
// first match to the end of the next-to-last one, and the last match. The
// history takes them as one step, which 元に戻す takes back whole.
ErrorCode ReplaceAll(const char* pattern, const char* replacement)
{
    HWND pane = AppState.hwndActiveEdit;
    long firstLine = FirstVisibleLine(pane);
    Snapshot snap;
    if (!snap.Take())
        return EC_NO_MEMORY;
    const std::size_t m = std::strlen(pattern);
    const std::size_t r = std::strlen(replacement);
    const char* text = snap.text();
    const std::size_t length = snap.length();
    const ReplaceAllPlan plan = PlanReplaceAll(text, length, pattern, m, replacement, r);
    // Every replacement together is one step of the history.
    BeginEditGroup();
    const std::size_t n = plan.matches.size();
    Redraw(pane, false);
    // The meter shows the values a match-by-match replacement shows, each
    // painted once.
    int shown = -1;
    for (std::size_t k = 0; k < n; ++k)
        if (plan.percents[k] != shown)
            DrawFinderMeter(shown = plan.percents[k]);

    // Offsets in the result: a match k (from 0) moved by k replacements.
    auto inResult = [&](std::size_t k) { return plan.matches[k] + k * r - k * m; };
    std::string text2;  // the pane's text between the two replacements
    const char* before = text;
    std::size_t beforeLength = length;
    if (n >= 2) {
        const std::size_t from = plan.matches[0], to = plan.matches[n - 2] + m;
        const std::size_t resultTo = inResult(n - 2) + r;
        text2.reserve(resultTo + (length - to));
        text2.append(plan.result, 0, resultTo).append(text + to, length - to);
        before = text2.data();
        beforeLength = text2.size();
        // A whole new text sends no EN_CHANGE: the group's end finds the
        // change and copies it into the second pane.
        ReplaceInPane(AppState.hwndEdit, text, length, before, beforeLength, TextChange{from, to, resultTo});
    }
    if (n >= 1) {
        const std::size_t last = inResult(n - 1);
        const long first = PaneOffset(before, beforeLength, last);
        Replace(AppState.hwndEdit, first, first + Span(before, beforeLength, last, pattern, m), replacement);
    }
    if (plan.percents.back() != shown)
        DrawFinderMeter(plan.percents.back());
    EndEditGroup(AppState.hwndMain);
    ScrollBackTo(pane, firstLine);
    Redraw(pane, true);
    char message[64];
    std::snprintf(message, sizeof message, "%d個の文字列を置換しました。", static_cast<int>(n));
    MessageBoxA(AppState.hwndFinder ? AppState.hwndFinder : AppState.hwndMain, message, "文字列置換の結果", MB_OK);
    return EC_SUCCESS;
}

ErrorCode ReplaceRepeat(const char* pattern, const char* replacement)
{
    Begin op;
    if (!op.Take())
        return EC_NO_MEMORY;
    HWND pane = op.pane;
    long firstLine = op.firstLine;
    Snapshot& snap = op.snap;
    long s = op.s;
    const std::size_t m = std::strlen(pattern);
    const std::size_t r = std::strlen(replacement);
    bool stop = false;
    std::size_t p = static_cast<std::size_t>(s + 1);
    BoundaryWalker walker(snap.text(), snap.length());
    while (p + m <= snap.length() && !stop) {
        std::size_t chars = 0;
        if (!walker.IsBoundary(p) || !MatchSpan(snap.text(), snap.length(), p, pattern, m, &chars)) {
            ++p;
            continue;
        }
        DrawFinderMeter(SearchPercent(static_cast<long>(p), snap.length()));
        firstLine = FirstVisibleLine(pane);
        long first = PanesCountCharacters() ? static_cast<long>(walker.CharIndex()) : static_cast<long>(p);
        ShowMatch(pane, first, first + (PanesCountCharacters() ? static_cast<long>(chars) : static_cast<long>(m)),
                  firstLine, false);
        int answer = MessageBoxA(AppState.hwndMain, "この文字列を置換しますか？", "連続後方置換の実行",
                                 MB_YESNOCANCEL | MB_ICONQUESTION);
        if (answer == IDYES) {
            NoteNoTyping();
            SendMessageA(pane, EM_REPLACESEL, TRUE, reinterpret_cast<LPARAM>(replacement));
            // The copy is patched where the pane was, before the scan moves
            // past the inserted text.
            walker.ResetAt(p);
            if (!snap.Replaced(p, m, replacement, r))
                stop = true;
            p += r;
            walker.SetText(snap.text(), snap.length());
        } else if (answer == IDNO) {
            ++p;
        } else {
            stop = true;
        }
    }
    ScrollBackTo(pane, firstLine);
    return EC_SUCCESS;
}
