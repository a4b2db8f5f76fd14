// The finder's five operations and the split view's edits, driven through
// the real windows on random texts and compared with a plain model of what
// each must do, written here and sharing no code with the editor.
//
// Every case prints its seed when it fails; VEXA_MODEL_SEED=N runs that one
// case alone (split and the operation come from the seed too).
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <random>
#include <string>
#include <vector>

#include "app/appstate.h"
#include "app/shell.h"
#include "harness.h"
#include "res/resource.h"

namespace {

// --- The model ---------------------------------------------------------

bool IsLead(unsigned char c) { return (c >= 0x81 && c <= 0x9F) || (c >= 0xE0 && c <= 0xFC); }

// Where each character of a Shift-JIS text begins, and its end.
std::vector<std::size_t> Starts(const std::string& t)
{
    std::vector<std::size_t> starts;
    for (std::size_t i = 0; i < t.size(); i += IsLead(static_cast<unsigned char>(t[i])) && i + 1 < t.size() ? 2 : 1)
        starts.push_back(i);
    starts.push_back(t.size());
    return starts;
}

bool IsStart(const std::string& t, std::size_t p)
{
    for (std::size_t s : Starts(t))
        if (s == p)
            return true;
    return false;
}

// The lengths of the characters after and before a caret at p, CR LF as one.
unsigned NextLength(const std::string& t, std::size_t p)
{
    return t.compare(p, 2, "\r\n") == 0 ? 2u : IsLead(static_cast<unsigned char>(t[p])) ? 2u : 1u;
}

unsigned PreviousLength(const std::string& t, std::size_t p)
{
    if (p >= 2 && t.compare(p - 2, 2, "\r\n") == 0)
        return 2u;
    std::size_t q = 0;
    for (std::size_t s : Starts(t))
        if (s < p)
            q = s;
    return static_cast<unsigned>(p - q);
}

// A match: the pattern's bytes at the start of a character.
bool MatchAt(const std::string& t, std::size_t p, const std::string& pattern)
{
    return p + pattern.size() <= t.size() && t.compare(p, pattern.size(), pattern) == 0 && IsStart(t, p);
}

long NextMatch(const std::string& t, std::size_t from, const std::string& pattern)
{
    for (std::size_t p = from; p + pattern.size() <= t.size(); ++p)
        if (MatchAt(t, p, pattern))
            return static_cast<long>(p);
    return -1;
}

long PrevMatch(const std::string& t, long from, const std::string& pattern)
{
    for (long p = from; p >= 0; --p)
        if (MatchAt(t, static_cast<std::size_t>(p), pattern))
            return p;
    return -1;
}

enum Op { kFindNext, kFindPrev, kReplaceNext, kReplaceAll, kReplaceRepeat, kOps };
const int kButtons[kOps] = {IDC_FIND_NEXT, IDC_FIND_PREV, IDC_REPLACE_NEXT, IDC_REPLACE_ALL, IDC_REPLACE_REPEAT};
const char* const kOpNames[kOps] = {"FindNext", "FindPrev", "ReplaceNext", "ReplaceAll", "ReplaceRepeat"};

struct Selection {
    std::size_t start, end;
    bool operator==(const Selection& o) const { return start == o.start && end == o.end; }
};

// What an operation must leave: the text, the questions asked (with the
// selection each showed), the ReplaceAll count, the selection after a find.
struct Expected {
    std::string text;
    std::vector<Selection> questions;
    long count = -1;
    bool selectionKnown = false;
    Selection selection{0, 0};
    std::vector<std::string> steps;  // the text after each replacement asked about
};

Expected Model(Op op, std::string t, Selection sel, const std::string& pattern, const std::string& replacement,
               const std::vector<int>& answers)
{
    Expected e;
    const std::size_t m = pattern.size(), r = replacement.size(), s = sel.start;
    std::size_t asked = 0;
    switch (op) {
    case kFindNext:
    case kReplaceNext: {
        long p = NextMatch(t, s + 1, pattern);
        e.selectionKnown = op == kFindNext || p < 0;
        e.selection = p < 0 ? sel : Selection{static_cast<std::size_t>(p), p + m};
        if (op == kReplaceNext && p >= 0) {
            e.questions.push_back(e.selection);
            if (answers[0] == IDYES) {
                t.replace(static_cast<std::size_t>(p), m, replacement);
                e.steps.push_back(t);
            }
        }
        break;
    }
    case kFindPrev: {
        long p = s == 0 ? -1 : PrevMatch(t, static_cast<long>(s) - 1, pattern);
        e.selectionKnown = true;
        e.selection = p < 0 ? sel : Selection{static_cast<std::size_t>(p), p + m};
        break;
    }
    case kReplaceAll: {
        e.count = 0;
        for (std::size_t p = 0; p + m <= t.size();) {
            if (MatchAt(t, p, pattern)) {
                t.replace(p, m, replacement);
                ++e.count;
                p += r;
            } else {
                ++p;
            }
        }
        break;
    }
    case kReplaceRepeat:
        for (std::size_t p = s + 1; p + m <= t.size();) {
            if (!MatchAt(t, p, pattern)) {
                ++p;
                continue;
            }
            e.questions.push_back(Selection{p, p + m});
            const int answer = answers[asked++ % answers.size()];
            if (answer == IDCANCEL)
                break;
            if (answer == IDYES) {
                t.replace(p, m, replacement);
                e.steps.push_back(t);
                p += r;
            } else {
                ++p;
            }
        }
        break;
    default:
        break;
    }
    e.text = t;
    return e;
}

// --- Random inputs -----------------------------------------------------

// One- and two-byte characters, half-width katakana and CR LF; ソ, 表 and Ｂ
// end in the bytes of \, \ and a, so that a pattern can meet a trail byte.
const char* const kPieces[] = {"a", "b", "x", " ", "\r\n", "ｱ", "ｶ", "あ", "い", "漢", "ソ", "表", "Ｂ", "\\", "ァ"};

std::string RandomText(std::mt19937& rng, int maxPieces)
{
    std::string t;
    const int n = static_cast<int>(rng() % static_cast<unsigned>(maxPieces + 1));
    for (int i = 0; i < n; ++i)
        t += kPieces[rng() % (sizeof kPieces / sizeof *kPieces)];
    return t;
}

// --- Driving the real windows ------------------------------------------

// Answers each message box the moment it is activated, from a list, and
// records what it showed: its text and the active pane's selection in bytes.
struct Question {
    std::string caption, text;
    Selection selection;
};
HHOOK boxHook;
std::vector<int> boxAnswers;
std::vector<Question> boxesSeen;
bool panesCountCharacters;

std::size_t ByteOfUnit(const std::string& t, std::size_t unit)
{
    if (!panesCountCharacters)
        return unit;
    const std::vector<std::size_t> starts = Starts(t);
    return unit < starts.size() ? starts[unit] : t.size();
}

std::size_t UnitOfByte(const std::string& t, std::size_t byte)
{
    if (!panesCountCharacters)
        return byte;
    const std::vector<std::size_t> starts = Starts(t);
    std::size_t unit = 0;
    while (unit < starts.size() && starts[unit] < byte)
        ++unit;
    return unit;
}

Selection PaneSelection(HWND pane)
{
    DWORD s = 0, e = 0;
    SendMessageA(pane, EM_GETSEL, reinterpret_cast<WPARAM>(&s), reinterpret_cast<LPARAM>(&e));
    const std::string t = PaneText(pane);
    return Selection{ByteOfUnit(t, s), ByteOfUnit(t, e)};
}

void SetPaneSelection(HWND pane, const std::string& t, Selection sel)
{
    SendMessageA(pane, EM_SETSEL, UnitOfByte(t, sel.start), UnitOfByte(t, sel.end));
}

LRESULT CALLBACK AnswerBox(int code, WPARAM wParam, LPARAM lParam)
{
    HWND w = reinterpret_cast<HWND>(wParam);
    char cls[16] = "";
    if (code == HCBT_ACTIVATE && GetClassNameA(w, cls, sizeof cls) && std::string(cls) == "#32770" &&
        GetDlgItem(w, 0xFFFF) && !GetDlgItem(w, IDC_FIND_TEXT)) {
        Question q;
        q.caption = WindowText(w);
        char text[256] = "";
        GetDlgItemTextA(w, 0xFFFF, text, sizeof text);
        q.text = text;
        q.selection = PaneSelection(AppState.hwndActiveEdit);
        const std::size_t k = boxesSeen.size();
        boxesSeen.push_back(q);
        int id = k < boxAnswers.size() ? boxAnswers[k] : IDCANCEL;
        if (!GetDlgItem(w, id))
            id = GetDlgItem(w, IDOK) ? IDOK : IDNO;
        PostMessageA(w, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(GetDlgItem(w, id)));
    }
    return CallNextHookEx(boxHook, code, wParam, lParam);
}

class ModelTest : public EditorTest {
protected:
    void SetUp() override
    {
        Start();
        MoveWindow(main_, 0, 0, 700, 500, TRUE);
        // Whether the panes count positions in characters (Wine) or bytes.
        SendMessageA(AppState.hwndEdit, WM_SETTEXT, 0, reinterpret_cast<LPARAM>("漢"));
        SendMessageA(AppState.hwndEdit, EM_SETSEL, 0, -1);
        DWORD s = 0, e = 0;
        SendMessageA(AppState.hwndEdit, EM_GETSEL, reinterpret_cast<WPARAM>(&s), reinterpret_cast<LPARAM>(&e));
        ASSERT_TRUE(e == 1 || e == 2);
        panesCountCharacters = e == 1;
        boxHook = SetWindowsHookExA(WH_CBT, AnswerBox, NULL, GetCurrentThreadId());
    }
    void TearDown() override
    {
        UnhookWindowsHookEx(boxHook);
        EditorTest::TearDown();
    }
    // The seeds to run: VEXA_MODEL_SEED alone, or `count` from a base that
    // VEXA_MODEL_BASE fixes (else the clock).
    static std::vector<unsigned> Seeds(int count)
    {
        if (const char* one = std::getenv("VEXA_MODEL_SEED"))
            return {static_cast<unsigned>(std::strtoul(one, nullptr, 10))};
        const char* base = std::getenv("VEXA_MODEL_BASE");
        const unsigned first = base ? static_cast<unsigned>(std::strtoul(base, nullptr, 10)) : GetTickCount();
        std::printf("[ seeds ] %u to %u (VEXA_MODEL_SEED=N reruns one)\n", first, first + count - 1);
        std::vector<unsigned> seeds;
        for (int i = 0; i < count; ++i)
            seeds.push_back(first + static_cast<unsigned>(i));
        return seeds;
    }
    // Each case names its seed as it starts so that one
    // that ends the process (a fault inside a window procedure may never
    // reach a handler) is named too.
    static unsigned Begin(unsigned seed)
    {
        std::printf("seed %u\n", seed);
        std::fflush(stdout);
        return seed;
    }
    void Split(bool on)
    {
        if (AppState.splitOn != on)
            Command(IDM_SPLIT);
    }
    // Both panes hold the text, and the one given has the focus. The text
    // replaces the whole of the main pane's, as a paste over everything
    // does, so that the second pane follows as it follows any edit.
    void Show(const std::string& text, bool split, bool second)
    {
        Split(split);
        SendMessageA(AppState.hwndEdit, EM_SETSEL, 0, -1);
        SendMessageA(AppState.hwndEdit, EM_REPLACESEL, FALSE, reinterpret_cast<LPARAM>(text.c_str()));
        HWND pane = split && second ? AppState.hwndEditSub : AppState.hwndEdit;
        SetFocus(pane);
        ASSERT_EQ(AppState.hwndActiveEdit, pane);
    }
};

TEST_F(ModelTest, FinderOperationsAgreeWithTheModel)
{
    Command(IDM_FIND);
    Pump(0);
    HWND finder = AppState.hwndFinder;
    ASSERT_TRUE(IsWindow(finder));
    int operations = 0, questions = 0;
    for (unsigned seed : Seeds(2000)) {
        std::mt19937 rng(Begin(seed));
        const Op op = static_cast<Op>(rng() % kOps);
        // Split or not in runs of 50 seeds, as making the second pane costs
        // more than an operation.
        const bool split = seed / 50 % 3 == 0, second = split && rng() % 2;
        SCOPED_TRACE("seed " + std::to_string(seed) + ": " + kOpNames[op] + (split ? second ? ", split, second pane" : ", split" : ""));
        std::string text = RandomText(rng, 24);
        const std::vector<std::size_t> starts = Starts(text);
        // Patterns: often a piece of the text itself, so that there are matches.
        std::string pattern;
        if (text.size() > 0 && rng() % 2) {
            const std::size_t a = starts[rng() % (starts.size() - 1)];
            std::size_t b = a;
            for (int k = 1 + static_cast<int>(rng() % 3); k > 0 && b < text.size(); --k)
                b += IsLead(static_cast<unsigned char>(text[b])) && b + 1 < text.size() ? 2 : 1;
            pattern = text.substr(a, b - a);
        }
        while (pattern.empty())
            pattern = RandomText(rng, 2);
        std::string replacement;
        while (replacement.empty())
            replacement = RandomText(rng, 4);
        // A selection anywhere, empty or not; now and then the caret at the end.
        Selection sel;
        if (rng() % 6 == 0) {
            sel = {text.size(), text.size()};
        } else {
            std::size_t a = starts[rng() % starts.size()], b = starts[rng() % starts.size()];
            sel = a < b ? Selection{a, b} : Selection{b, a};
        }
        boxAnswers.clear();
        for (int k = 0; k < 40; ++k) {
            const unsigned x = rng() % 20;
            boxAnswers.push_back(x < 10 ? IDYES : x < 17 ? IDNO : IDCANCEL);
        }
        if (op == kReplaceNext)
            boxAnswers[0] = rng() % 2 ? IDYES : IDNO;
        const Expected expected = Model(op, text, sel, pattern, replacement, boxAnswers);

        Show(text, split, second);
        HWND pane = AppState.hwndActiveEdit;
        SetPaneSelection(pane, text, sel);
        SetDlgItemTextA(finder, IDC_FIND_TEXT, pattern.c_str());
        SetDlgItemTextA(finder, IDC_REPLACE_TEXT, replacement.c_str());
        boxesSeen.clear();
        SendMessageA(GetDlgItem(finder, kButtons[op]), BM_CLICK, 0, 0);
        ++operations;
        questions += static_cast<int>(boxesSeen.size());

        ASSERT_TRUE(IsWindow(main_)) << "the editor's window is gone";
        SCOPED_TRACE("text " + Hex(text) + ", pattern " + Hex(pattern) + ", replacement " + Hex(replacement) +
                     ", selection " + std::to_string(sel.start) + "-" + std::to_string(sel.end));
        const std::string now = PaneText(AppState.hwndEdit);
        ASSERT_EQ(Hex(now), Hex(expected.text));
        if (split) {
            ASSERT_EQ(Hex(PaneText(AppState.hwndEditSub)), Hex(expected.text));
        }
        if (op == kReplaceAll) {
            ASSERT_EQ(boxesSeen.size(), 1u);
            ASSERT_EQ(boxesSeen[0].text, std::to_string(expected.count) + "個の文字列を置換しました。");
        } else {
            ASSERT_EQ(boxesSeen.size(), expected.questions.size());
            for (std::size_t k = 0; k < boxesSeen.size(); ++k) {
                ASSERT_EQ(boxesSeen[k].selection.start, expected.questions[k].start) << "question " << k;
                ASSERT_EQ(boxesSeen[k].selection.end, expected.questions[k].end) << "question " << k;
            }
        }
        if (expected.selectionKnown) {
            const Selection shown = PaneSelection(pane);
            ASSERT_EQ(shown.start, expected.selection.start);
            ASSERT_EQ(shown.end, expected.selection.end);
        }
    }
    std::printf("[ model ] %d operations, %d boxes answered\n", operations, questions);
}

// Random edits in either pane of a split window: both panes hold what the
// model says after each one.
TEST_F(ModelTest, SplitPanesFollowEveryEdit)
{
    int edits = 0;
    for (unsigned seed : Seeds(25)) {
        std::mt19937 rng(Begin(seed));
        SCOPED_TRACE("seed " + std::to_string(seed));
        std::string text = RandomText(rng, 30);
        Show(text, true, false);
        for (int step = 0; step < 24; ++step) {
            const bool second = rng() % 2;
            HWND pane = second ? AppState.hwndEditSub : AppState.hwndEdit;
            SetFocus(pane);
            Pump(0);
            const std::vector<std::size_t> starts = Starts(text);
            std::size_t a = starts[rng() % starts.size()], b = rng() % 3 ? a : starts[rng() % starts.size()];
            if (a > b)
                std::swap(a, b);
            SetPaneSelection(pane, text, Selection{a, b});
            const unsigned kind = rng() % 6;
            auto next = [&](std::size_t p) { return NextLength(text, p); };
            auto previous = [&](std::size_t p) { return PreviousLength(text, p); };
            std::string what;
            const std::string before = text;
            if (kind == 0) {
                const char c = "abxyz "[rng() % 6];
                what = std::string("type ") + c;
                TypeChar(pane, static_cast<unsigned char>(c));
                text.replace(a, b - a, 1, c);
            } else if (kind == 1) {
                what = "Delete";
                Key(pane, VK_DELETE);
                if (a < b)
                    text.erase(a, b - a);
                else if (a < text.size())
                    text.erase(a, next(a));
            } else if (kind == 2) {
                what = "Backspace";
                TypeChar(pane, 0x08);
                if (a < b)
                    text.erase(a, b - a);
                else if (a > 0)
                    text.erase(a - previous(a), previous(a));
            } else {
                // Paste or cut, and now and then Undo straight after it.
                SendMessageA(pane, EM_EMPTYUNDOBUFFER, 0, 0);
                if (kind == 3 || a == b) {
                    const std::string clip = RandomText(rng, 4);
                    what = "paste " + Hex(clip);
                    SetClipboardText(main_, clip.c_str());
                    Command(IDM_PASTE);
                    text.replace(a, b - a, clip);
                } else {
                    what = "cut";
                    Command(IDM_CUT);
                    text.erase(a, b - a);
                }
                Pump(0);
                if (rng() % 2 && text != before) {
                    what += ", undo";
                    Command(IDM_UNDO);
                    text = before;
                }
            }
            Pump(0);
            ++edits;
            SCOPED_TRACE("step " + std::to_string(step) + ": " + what + (second ? " in the second pane" : " in the main pane") +
                         " at " + std::to_string(a) + "-" + std::to_string(b) + " of " + Hex(before));
            ASSERT_TRUE(IsWindow(main_));
            ASSERT_EQ(Hex(PaneText(AppState.hwndEdit)), Hex(text));
            ASSERT_EQ(Hex(PaneText(AppState.hwndEditSub)), Hex(text));
        }
    }
    std::printf("[ model ] %d split edits\n", edits);
}

// The undo history through the real window: random edits of every kind
// (typing, input-method input, Delete, Backspace, Enter, paste, cut, the finder's replacements
// with random answers, in either pane,
// split and not) among runs of Ctrl+Z and Ctrl+Y and saves. The model is a
// list of the texts the document has held; after every step the panes
// hold the present one, and the document is edited exactly when that text
// is not the one last saved. (Typing right after a typed character would
// join its step, within a second: the walk types elsewhere each time.)
TEST_F(ModelTest, UndoAndRedoFollowTheHistory)
{
    Command(IDM_FIND);
    Pump(0);
    HWND finder = AppState.hwndFinder;
    ASSERT_TRUE(IsWindow(finder));
    const std::string path = TestFolder() + "history.txt";
    int steps = 0, undos = 0, redos = 0, answered = 0;
    for (unsigned seed : Seeds(50)) {
        std::mt19937 rng(Begin(seed));
        SCOPED_TRACE("seed " + std::to_string(seed));
        Split(rng() % 2 == 0);
        // A file read as Shift-JIS starts a new history.
        std::vector<std::string> states = {RandomText(rng, 20)};
        std::size_t present = 0;
        std::string saved = states[0];
        WriteFileBytes(path, saved);
        ASSERT_EQ(OpenDocument(main_, path.c_str(), true, KanjiCode::ShiftJIS), EC_SUCCESS);
        std::size_t typedAt = std::string::npos;  // where the last step typed a character
        for (int step = 0; step < 40; ++step, ++steps) {
            const std::string text = states[present];
            const bool second = AppState.splitOn && rng() % 2;
            HWND pane = second ? AppState.hwndEditSub : AppState.hwndEdit;
            SetFocus(pane);
            Pump(0);
            // Never between CR and LF, which the control keeps together.
            std::vector<std::size_t> starts;
            for (std::size_t st : Starts(text))
                if (st == 0 || st >= text.size() || text.compare(st - 1, 2, "\r\n") != 0)
                    starts.push_back(st);
            std::size_t a = starts[rng() % starts.size()], b = rng() % 3 ? a : starts[rng() % starts.size()];
            if (a > b)
                std::swap(a, b);
            // With steps ahead, half the time a run of Ctrl+Y, which a new
            // change would otherwise drop before it is ever taken.
            const unsigned kind = present + 1 < states.size() && rng() % 2 ? 8 : rng() % 10;
            auto next = [&](std::size_t p) { return NextLength(text, p); };
            auto previous = [&](std::size_t p) { return PreviousLength(text, p); };
            std::string after = text, what;
            bool change = true;
            const std::size_t typed = typedAt;
            if (kind == 0 && !(a == b && a == typed)) {
                // A letter, or a kanji from an input method: as WM_IME_CHAR
                // or as its two bytes in two WM_CHAR messages.
                const char* const kTyped[] = {"a", "b", "x", "y", "z", "漢", "字"};
                const std::string c = kTyped[rng() % 7];
                const unsigned how = rng() % 2;
                what = "type " + Hex(c) + (c.size() == 2 ? how ? " (WM_IME_CHAR)" : " (two WM_CHAR)" : "");
                SetPaneSelection(pane, text, Selection{a, b});
                const unsigned char c0 = static_cast<unsigned char>(c[0]);
                if (c.size() == 1) {
                    TypeChar(pane, c0);
                } else if (how) {
                    PostMessageA(pane, WM_IME_CHAR, c0 << 8 | static_cast<unsigned char>(c[1]), 1);
                } else {
                    PostMessageA(pane, WM_CHAR, c0, 1);
                    TypeChar(pane, static_cast<unsigned char>(c[1]));
                }
                after.replace(a, b - a, c);
                typedAt = a + c.size();
            } else if (kind == 1) {
                what = "Delete";
                SetPaneSelection(pane, text, Selection{a, b});
                Key(pane, VK_DELETE);
                if (a < b)
                    after.erase(a, b - a);
                else if (a < text.size())
                    after.erase(a, next(a));
            } else if (kind == 2) {
                what = "Backspace";
                SetPaneSelection(pane, text, Selection{a, b});
                TypeChar(pane, 0x08);
                if (a < b)
                    after.erase(a, b - a);
                else if (a > 0)
                    after.erase(a - previous(a), previous(a));
            } else if (kind == 3) {
                what = "Enter";
                SetPaneSelection(pane, text, Selection{a, b});
                TypeChar(pane, '\r');
                after.replace(a, b - a, "\r\n");
            } else if (kind == 4) {
                const std::string clip = RandomText(rng, 3);
                what = "paste " + Hex(clip);
                SetPaneSelection(pane, text, Selection{a, b});
                SetClipboardText(main_, clip.c_str());
                TypeChar(pane, 0x16);
                after.replace(a, b - a, clip);
            } else if (kind == 5 && a < b) {
                what = "cut";
                SetPaneSelection(pane, text, Selection{a, b});
                TypeChar(pane, 0x18);
                after.erase(a, b - a);
            } else if (kind == 6) {
                // ReplaceAll is one step; ReplaceNext and ReplaceRepeat one
                // step for each Yes, from the selection, with random answers.
                std::string pattern;
                while (pattern.empty())
                    pattern = text.empty() || rng() % 3 == 0 ? RandomText(rng, 1) : text.substr(a, next(a) > text.size() - a ? text.size() - a : next(a));
                const std::string replacement = RandomText(rng, 2);
                const Op op = rng() % 3 == 0 ? kReplaceAll : rng() % 2 ? kReplaceNext : kReplaceRepeat;
                what = std::string(kOpNames[op]) + " " + Hex(pattern) + " by " + Hex(replacement);
                SetDlgItemTextA(finder, IDC_FIND_TEXT, pattern.c_str());
                SetDlgItemTextA(finder, IDC_REPLACE_TEXT, replacement.c_str());
                boxesSeen.clear();
                boxAnswers.assign(1, IDOK);
                if (op != kReplaceAll) {
                    // Yes, No and now and then Cancel; ReplaceNext asks Yes or No.
                    const int kAnswers[] = {IDYES, IDYES, IDYES, IDNO, IDNO, IDCANCEL};
                    boxAnswers.clear();
                    for (int k = 0; k < 12; ++k)
                        boxAnswers.push_back(kAnswers[rng() % (op == kReplaceNext ? 5 : 6)]);
                }
                change = false;
                if (!replacement.empty()) {
                    // Mostly the caret just before the pattern's place, which the search (from the
                    // character after the caret) then meets.
                    const std::size_t before = a > 0 ? a - previous(a) : 0;
                    const Selection sel = op == kReplaceAll || rng() % 4 == 0 ? Selection{a, b} : Selection{before, before};
                    SetPaneSelection(pane, text, sel);
                    SendMessageA(GetDlgItem(finder, kButtons[op]), BM_CLICK, 0, 0);
                    answered += op == kReplaceAll ? 0 : static_cast<int>(boxesSeen.size());
                    const Expected e = Model(op, text, sel, pattern, replacement, boxAnswers);
                    for (const std::string& t : op == kReplaceAll ? std::vector<std::string>{e.text} : e.steps)
                        if (t != states[present]) {
                            states.resize(present + 1);
                            states.push_back(t);
                            ++present;
                        }
                    after = e.text;
                }
            } else if (kind == 7 || kind == 8) {
                // A run of steps back or forward, by the keys.
                const bool redo = kind == 8;
                const int run = 1 + static_cast<int>(rng() % 3);
                what = std::to_string(run) + (redo ? " x Ctrl+Y" : " x Ctrl+Z");
                for (int k = 0; k < run; ++k) {
                    TypeChar(pane, redo ? 0x19 : 0x1A);
                    if (redo && present + 1 < states.size())
                        ++present, ++redos;
                    else if (!redo && present > 0)
                        --present, ++undos;
                }
                after = states[present];
                change = false;
            } else {
                what = "save";
                ASSERT_EQ(SaveDocument(main_, path.c_str()), EC_SUCCESS);
                saved = text;
                change = false;
            }
            Pump(0);
            if (change && after != text) {
                states.resize(present + 1);
                states.push_back(after);
                ++present;
            }
            // Any other change, a step and a save end the typing before.
            if (kind != 0 && (kind >= 7 || after != text))
                typedAt = std::string::npos;
            SCOPED_TRACE("step " + std::to_string(step) + ": " + what + (second ? " in the second pane" : " in the main pane") +
                         " at " + std::to_string(a) + "-" + std::to_string(b) + " of " + Hex(text));
            ASSERT_TRUE(IsWindow(main_)) << "the editor's window is gone";
            if (std::getenv("VEXA_MODEL_STEPS"))
                std::printf("  %d: %s%s at %zu-%zu of %s\n", step, what.c_str(), second ? " (second pane)" : "", a, b, Hex(text).c_str());
            ASSERT_EQ(Hex(PaneText(AppState.hwndEdit)), Hex(states[present]));
            if (AppState.splitOn) {
                ASSERT_EQ(Hex(PaneText(AppState.hwndEditSub)), Hex(states[present]));
            }
            ASSERT_EQ(SendMessageA(AppState.hwndEdit, EM_GETMODIFY, 0, 0) != 0, states[present] != saved);
        }
    }
    std::printf("[ model ] %d steps, %d back and %d forward, %d replacements asked about\n", steps, undos, redos, answered);
}

}  // namespace
