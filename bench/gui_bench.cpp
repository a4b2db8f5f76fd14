// Figures of the real editor under Wine: opening and saving large files,
// typing in a split window, and finding and replacing.
//
//     gui_bench.exe FOLDER     (FOLDER holds edict1m.euc and edict10m.euc)
#include <windows.h>

#include <algorithm>
#include <vector>

#include <cstdio>
#include <string>

#include "app/appstate.h"
#include "app/shell.h"
#include "files/files.h"
#include "files/meter.h"
#include "find/finder.h"
#include "res/resource.h"

namespace {

HACCEL accelerators;

double Now()
{
    LARGE_INTEGER f, c;
    QueryPerformanceFrequency(&f);
    QueryPerformanceCounter(&c);
    return static_cast<double>(c.QuadPart) / static_cast<double>(f.QuadPart);
}

// Runs the editor's thread until it has nothing left to do: PeekMessage
// hands out WM_PAINT only when no other message waits, so when it has
// nothing at all the queue is empty and every window is painted.
void Pump()
{
    MSG msg;
    while (PeekMessageA(&msg, NULL, 0, 0, PM_REMOVE))
        if (msg.message != WM_QUIT)
            DispatchLoopMessage(&msg, accelerators);
}

void Start(const std::string& commandLine)
{
    StartApplication(GetModuleHandleA(NULL), commandLine.c_str(), SW_SHOWNORMAL, &accelerators);
    Pump();
}

void Stop()
{
    SendMessageA(AppState.hwndEdit, EM_SETMODIFY, FALSE, 0);
    DestroyWindow(AppState.hwndMain);
    Pump();
    FinishApplication();
}

// ReplaceAll's result box (a message box, not the finder), answered as soon
// as it is shown, so that it does not wait for a user; when that was.
double boxShownAt = 0;
LRESULT CALLBACK AnswerResultBox(int code, WPARAM wParam, LPARAM lParam)
{
    HWND box = reinterpret_cast<HWND>(wParam);
    if (code == HCBT_ACTIVATE && GetDlgItem(box, 0xFFFF) && !GetDlgItem(box, IDC_FIND_TEXT)) {
        boxShownAt = Now();
        PostMessageA(box, WM_COMMAND, IDOK, 0);
    }
    return CallNextHookEx(NULL, code, wParam, lParam);
}

// The open and the save flows timed whole; what the pane itself costs is
// timed apart, by giving it the same text again and taking it back.
void OpenAndSave(const std::string& folder, const char* name)
{
    std::string path = folder + "\\" + name;
    double t0 = Now();
    Start("");
    double started = Now() - t0;
    MeterCounts c0 = ConversionMeterCounts();
    t0 = Now();
    ErrorCode opened = OpenDocument(AppState.hwndMain, path.c_str(), false);
    double load = Now() - t0;
    MeterCounts c1 = ConversionMeterCounts();

    std::string text(static_cast<std::size_t>(GetWindowTextLengthA(AppState.hwndEdit)) + 1, '\0');
    t0 = Now();
    SendMessageA(AppState.hwndEdit, WM_GETTEXT, text.size(), reinterpret_cast<LPARAM>(&text[0]));
    double paneGet = Now() - t0;
    t0 = Now();
    SendMessageA(AppState.hwndEdit, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()));
    double paneSet = Now() - t0;

    SendMessageA(AppState.hwndMain, WM_COMMAND, IDM_KANJI_JIS, 0);
    std::string out = folder + "\\saved-" + name + ".jis";
    t0 = Now();
    ErrorCode saved = SaveTextFile(out.c_str());
    double save = Now() - t0;
    MeterCounts c2 = ConversionMeterCounts();
    Stop();
    double total = load + save, pane = paneSet + paneGet;
    std::printf("open+save %-13s load %.3f s (%u paints of %llu advances), save as JIS %.3f s (%u paints)%s\n", name,
                load, c1.paints - c0.paints, c1.advances - c0.advances, save, c2.paints - c1.paints,
                opened == EC_SUCCESS && saved == EC_SUCCESS ? "" : " FAILED");
    std::printf("  total %.3f s; the pane's WM_SETTEXT %.3f s and WM_GETTEXT %.3f s; outside them %.3f s = %.1f %%; "
                "an empty start-up %.3f s\n",
                total, paneSet, paneGet, total - pane, 100.0 * (total - pane) / total, started);
}

// What one progress window costs, shown and taken down again.
void ProgressWindowCost()
{
    Start("");
    const int n = 20;
    double t0 = Now();
    for (int i = 0; i < n; ++i)
        DestroyWindow(CreateDialogParamA(AppState.hInstance, "CRCONV", AppState.hwndMain, NULL, 0));
    std::printf("one progress window shown and destroyed: %.1f ms\n", 1000 * (Now() - t0) / n);
    Stop();
}

// The key X as the keyboard sends it, down and up, run until the thread is
// idle: the loop's filter clicks and writes the status line, and
// TranslateMessage makes the character.
void PressKey(HWND pane)
{
    const LPARAM scan = static_cast<LPARAM>(MapVirtualKeyA('X', MAPVK_VK_TO_VSC)) << 16;
    PostMessageA(pane, WM_KEYDOWN, 'X', scan | 1);
    PostMessageA(pane, WM_KEYUP, 'X', scan | 1 | 0xC0000000);
    Pump();
}

// Milliseconds each of `count` keys typed into a pane costs as the user
// waits for it: the key is posted to the thread's queue, as a key comes,
// and timed until the thread is idle again: the edit, EN_CHANGE, the
// status line, when split the update of the other pane, and the painting
// of every window the key changed.
void TypeKeys(HWND pane, int count, std::vector<double>* times)
{
    SetFocus(pane);
    Pump();
    for (int i = 0; i < count; ++i) {
        const int before = GetWindowTextLengthA(pane);
        double t0 = Now();
        PressKey(pane);
        times->push_back(1000 * (Now() - t0));
        if (GetWindowTextLengthA(pane) != before + 1)
            std::printf("  a key did not type one character\n");
    }
}

// A key typed into a bare EDIT control, timed as TypeKeys times the
// editor's; with `mirror`, the same character is then put into a second
// bare control, as a split view must at least do: its redrawing off, the
// character replaced in at the same place, its redrawing on and the whole
// control painted again.
void TypeBareKeys(HWND pane, HWND mirror, int count, std::vector<double>* times)
{
    SetFocus(pane);
    Pump();
    for (int i = 0; i < count; ++i) {
        double t0 = Now();
        PressKey(pane);
        if (mirror) {
            // The caret stands just after the X. Wine's control counts it
            // in characters and an ANSI control on Windows in bytes; X is
            // one of either, so the position one before is the X's in both.
            DWORD end = 0;
            SendMessageA(pane, EM_GETSEL, 0, reinterpret_cast<LPARAM>(&end));
            SendMessageA(mirror, WM_SETREDRAW, FALSE, 0);
            SendMessageA(mirror, EM_SETSEL, end - 1, end - 1);
            SendMessageA(mirror, EM_REPLACESEL, FALSE, reinterpret_cast<LPARAM>("X"));
            SendMessageA(mirror, WM_SETREDRAW, TRUE, 0);
            InvalidateRect(mirror, NULL, TRUE);
            Pump();
        }
        times->push_back(1000 * (Now() - t0));
    }
}

// Where a pane lies in the main window's client area.
RECT PaneRect(HWND pane)
{
    RECT r;
    GetWindowRect(pane, &r);
    MapWindowPoints(NULL, AppState.hwndMain, reinterpret_cast<POINT*>(&r), 2);
    return r;
}

HWND BareEdit(HWND parent, HWND like, const RECT& r, const std::string& text)
{
    HWND edit = CreateWindowExA(0, "EDIT", "", static_cast<DWORD>(GetWindowLongA(like, GWL_STYLE)), r.left, r.top,
                                r.right - r.left, r.bottom - r.top, parent, NULL, GetModuleHandleA(NULL), NULL);
    SendMessageA(edit, WM_SETFONT, SendMessageA(like, WM_GETFONT, 0, 0), FALSE);
    SendMessageA(edit, EM_SETLIMITTEXT, 0, 0);
    SendMessageA(edit, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()));
    SendMessageA(edit, EM_SETSEL, 0, 0);
    return edit;
}

// The same keys into bare controls of the editor's panes' sizes, holding
// the same text: what Wine's control costs by itself, alone and as a pair.
void TypeBare(const std::string& text, const RECT& unsplitPane, const RECT& mainPane, const RECT& subPane,
              std::vector<double>* alone, std::vector<double>* pair)
{
    RECT client;
    GetClientRect(AppState.hwndMain, &client);
    HWND window = CreateWindowExA(0, "STATIC", "bare", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0,
                                  client.right + 16, client.bottom + 40, NULL, NULL, GetModuleHandleA(NULL), NULL);
    HWND one = BareEdit(window, AppState.hwndEdit, unsplitPane, text);
    Pump();
    TypeBareKeys(one, NULL, 5, alone);
    DestroyWindow(one);
    HWND top = BareEdit(window, AppState.hwndEdit, mainPane, text);
    HWND bottom = BareEdit(window, AppState.hwndEdit, subPane, text);
    Pump();
    TypeBareKeys(top, bottom, 5, pair);
    DestroyWindow(window);
    Pump();
}

// The median: a machine shared with others makes single keys slow now and
// then, which the mean of a few would carry.
double Median(std::vector<double> times)
{
    std::sort(times.begin(), times.end());
    return times[times.size() / 2];
}

// Keys typed unsplit and split in turns, a few of each per round, so that
// a machine that slows down or speeds up for a while moves both sides of
// the ratio alike.
void TypeUnsplitAndSplit(const std::string& folder, const char* name)
{
    const int kRounds = 5, kKeys = 5;
    Start("\"" + folder + "\\" + name + "\"");
    std::string text(static_cast<std::size_t>(GetWindowTextLengthA(AppState.hwndEdit)) + 1, '\0');
    text.resize(static_cast<std::size_t>(
        SendMessageA(AppState.hwndEdit, WM_GETTEXT, text.size(), reinterpret_cast<LPARAM>(&text[0]))));
    const RECT unsplitPane = PaneRect(AppState.hwndEdit);
    RECT mainPane{}, subPane{};
    std::vector<double> unsplit, main, sub, bare, barePair;
    bool same = true;
    for (int round = 0; round < kRounds; ++round) {
        TypeKeys(AppState.hwndEdit, kKeys, &unsplit);
        SendMessageA(AppState.hwndMain, WM_COMMAND, IDM_SPLIT, 0);
        Pump();
        mainPane = PaneRect(AppState.hwndEdit);
        subPane = PaneRect(AppState.hwndEditSub);
        TypeKeys(AppState.hwndEdit, kKeys, &main);
        TypeKeys(AppState.hwndEditSub, kKeys, &sub);
        same = same && GetWindowTextLengthA(AppState.hwndEdit) == GetWindowTextLengthA(AppState.hwndEditSub);
        SendMessageA(AppState.hwndMain, WM_COMMAND, IDM_SPLIT, 0);
        Pump();
    }
    TypeKeys(AppState.hwndEdit, kKeys, &unsplit);
    for (int round = 0; round < 3; ++round)
        TypeBare(text, unsplitPane, mainPane, subPane, &bare, &barePair);
    const double u = Median(unsplit), m = Median(main), s = Median(sub);
    std::printf("typing, %-13s unsplit %.1f ms a key; split: main pane %.1f ms (%.2fx), second pane %.1f ms "
                "(%.2fx)%s\n",
                name, u, m, m / u, s, s / u, same ? "" : " PANES DIFFER");
    const double b = Median(bare), p = Median(barePair);
    std::printf("  bare EDIT controls with that text: one %.1f ms a key; a pair, the second given the character "
                "and painted whole, %.1f ms (%.2fx)\n",
                b, p, p / b);
    Stop();
}

std::string Filler(std::size_t bytes, const char* tail)
{
    std::string text;
    const char line[] = "\x82\xA0\x82\xA2\x82\xA4 filler text for the finder \x8A\xBF\x8E\x9A\r\n";
    while (text.size() + sizeof line < bytes)
        text += line;
    return text + tail;
}

void FindAcross(std::size_t bytes)
{
    Start("");
    std::string text = Filler(bytes, "NEEDLE\r\n");
    SendMessageA(AppState.hwndEdit, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()));
    SendMessageA(AppState.hwndEdit, EM_SETSEL, 0, 0);
    double t0 = Now();
    FindNext("NEEDLE");
    double t = Now() - t0;
    DWORD s = 0;
    SendMessageA(AppState.hwndEdit, EM_GETSEL, reinterpret_cast<WPARAM>(&s), 0);
    std::printf("FindNext across %5.1f MB, match at the end: %.3f s%s\n", bytes / 1048576.0, t, s > 0 ? "" : " NOT FOUND");
    Stop();
}

// ReplaceAll beside opening the same text: under Wine the edit control
// measures every line of a text it is given, so one replacement that spans
// the whole text costs about what a load costs.
void ReplaceMany(const std::string& folder, int matches)
{
    // 1 MB with the matches spread evenly through it, as a Shift-JIS file.
    std::string text;
    const std::size_t bytes = 1 << 20;
    const std::size_t every = bytes / matches;
    std::string block = Filler(every - 6, "MATCH");
    while (text.size() + block.size() <= bytes)
        text += block;
    std::string path = folder + "\\replace-many.txt";
    HANDLE f = CreateFileA(path.c_str(), GENERIC_WRITE, 0, NULL, CREATE_ALWAYS, 0, NULL);
    DWORD written = 0;
    WriteFile(f, text.data(), static_cast<DWORD>(text.size()), &written, NULL);
    CloseHandle(f);
    for (bool split : {false, true}) {
        Start("");
        if (split) {
            SendMessageA(AppState.hwndMain, WM_COMMAND, IDM_SPLIT, 0);
            Pump();
        }
        double t0 = Now();
        OpenDocument(AppState.hwndMain, path.c_str(), false);
        double open = Now() - t0;
        // Rounds of ReplaceAll, its undo and redo, and an undo that readies
        // the next round: under Wine one text set into the control takes
        // from half to twice its usual time, so each is the median of five.
        // ReplaceAll is timed until its result box shows, which is when
        // the user has the result; a step until every pane has painted it.
        std::vector<double> replaced, undone, redone;
        bool same = true, stepped = true;
        HHOOK hook = SetWindowsHookExA(WH_CBT, AnswerResultBox, NULL, GetCurrentThreadId());
        for (int round = 0; round < 5; ++round) {
            boxShownAt = 0;
            t0 = Now();
            ReplaceAll("MATCH", "HIT");
            replaced.push_back((boxShownAt > 0 ? boxShownAt : Now()) - t0);
            Pump();
            same = same && (!split || GetWindowTextLengthA(AppState.hwndEdit) == GetWindowTextLengthA(AppState.hwndEditSub));
            const LRESULT after = GetWindowTextLengthA(AppState.hwndEdit);
            t0 = Now();
            SendMessageA(AppState.hwndMain, WM_COMMAND, IDM_UNDO, 0);
            Pump();
            undone.push_back(Now() - t0);
            stepped = stepped && GetWindowTextLengthA(AppState.hwndEdit) == static_cast<int>(text.size());
            t0 = Now();
            SendMessageA(AppState.hwndMain, WM_COMMAND, IDM_REDO, 0);
            Pump();
            redone.push_back(Now() - t0);
            stepped = stepped && GetWindowTextLengthA(AppState.hwndEdit) == after;
            SendMessageA(AppState.hwndMain, WM_COMMAND, IDM_UNDO, 0);
            Pump();
        }
        UnhookWindowsHookEx(hook);
        const double t = Median(replaced), undo = Median(undone), redo = Median(redone);
        std::printf("ReplaceAll, %5d matches in 1 MB, %-8s %.2f s; opening the file %.2f s: %.2fx%s\n", matches,
                    split ? "split:" : "unsplit:", t, open, t / open, same ? "" : " PANES DIFFER");
        std::printf("  its undo %.2f s (%.2fx the ReplaceAll), redo %.2f s (%.2fx)%s\n", undo, undo / t, redo, redo / t,
                    stepped ? "" : " NOT UNDONE AND REDONE");
        Stop();
    }
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc < 2) {
        std::fprintf(stderr, "usage: gui_bench FOLDER [open|type|find|replace]...\n");
        return 64;
    }
    std::setvbuf(stdout, NULL, _IONBF, 0);  // each figure as soon as it is measured
    std::string folder = argv[1];
    auto wanted = [&](const char* part) {
        if (argc == 2)
            return true;
        for (int i = 2; i < argc; ++i)
            if (std::string(argv[i]) == part)
                return true;
        return false;
    };
    if (wanted("open")) {
        OpenAndSave(folder, "edict1m.euc");
        OpenAndSave(folder, "edict10m.euc");
        ProgressWindowCost();
    }
    if (wanted("type") || wanted("type100k"))
        TypeUnsplitAndSplit(folder, "edict100k.euc");
    if (wanted("type") || wanted("type1m"))
        TypeUnsplitAndSplit(folder, "edict1m.euc");
    if (wanted("type") || wanted("type10m"))
        TypeUnsplitAndSplit(folder, "edict10m.euc");
    if (wanted("find")) {
        FindAcross(1 << 20);
        FindAcross(10 << 20);
    }
    if (wanted("replace"))
        ReplaceMany(folder, 10000);
    std::fflush(stdout);
    return 0;
}
