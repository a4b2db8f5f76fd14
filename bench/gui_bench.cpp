// Figures of the real editor under Wine: opening and saving large files,
// typing in a split window, and finding and replacing.
//
//     gui_bench.exe FOLDER     (FOLDER holds edict1m.euc and edict10m.euc)
#include <windows.h>

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

// Answers every message box with its default button, so that ReplaceAll's
// result box does not wait for a user.
void CALLBACK CloseBoxes(HWND, UINT, UINT_PTR, DWORD)
{
    HWND box = FindWindowA("#32770", NULL);
    if (box && GetDlgItem(box, 0xFFFF) && !GetDlgItem(box, IDC_FIND_TEXT))
        PostMessageA(box, WM_COMMAND, IDOK, 0);
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

void TypeInSplit(const std::string& folder, const char* name)
{
    Start("\"" + folder + "\\" + name + "\"");
    SendMessageA(AppState.hwndMain, WM_COMMAND, IDM_SPLIT, 0);
    Pump();
    SetFocus(AppState.hwndEdit);
    const int keys = 10;
    double worst = 0, sum = 0;
    for (int i = 0; i < keys; ++i) {
        MSG msg = {AppState.hwndEdit, WM_CHAR, 'x', 1, 0, {0, 0}};
        double t0 = Now();
        DispatchLoopMessage(&msg, accelerators);  // the edit, EN_CHANGE and the copy into the other pane
        double t = Now() - t0;
        sum += t;
        worst = t > worst ? t : worst;
        Pump();
    }
    int a = GetWindowTextLengthA(AppState.hwndEdit), b = GetWindowTextLengthA(AppState.hwndEditSub);
    std::printf("typing in a split window, %-12s %.1f ms a key (worst %.1f ms)%s\n", name, 1000 * sum / keys,
                1000 * worst, a == b ? "" : " PANES DIFFER");
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

void ReplaceMany(int matches)
{
    Start("");
    // 1 MB with the matches spread evenly through it.
    std::string text;
    const std::size_t bytes = 1 << 20;
    const std::size_t every = bytes / matches;
    std::string block = Filler(every - 6, "MATCH");
    while (text.size() + block.size() <= bytes)
        text += block;
    SendMessageA(AppState.hwndEdit, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()));
    UINT_PTR timer = SetTimer(NULL, 0, 100, CloseBoxes);
    double t0 = Now();
    ReplaceAll("MATCH", "HIT");
    double t = Now() - t0;
    KillTimer(NULL, timer);
    std::printf("ReplaceAll, %5d matches in 1 MB: %.2f s (%.1f ms a replacement)\n", matches, t, 1000 * t / matches);
    Stop();
}

// Where a replacement's time goes: the edit control's own replacement, and
// reading the text back for the snapshot.
void ReplacementParts()
{
    Start("");
    std::string text = Filler(1 << 20, "");
    SendMessageA(AppState.hwndEdit, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()));
    SendMessageA(AppState.hwndEdit, WM_SETREDRAW, FALSE, 0);
    const int n = 20;
    double replace = 0, refresh = 0;
    std::string copy(text.size() + 16, '\0');
    for (int i = 0; i < n; ++i) {
        double t0 = Now();
        SendMessageA(AppState.hwndEdit, EM_SETSEL, 1000 * i, 1000 * i + 5);
        SendMessageA(AppState.hwndEdit, EM_REPLACESEL, TRUE, reinterpret_cast<LPARAM>("HIT"));
        double t1 = Now();
        LRESULT length = SendMessageA(AppState.hwndEdit, WM_GETTEXTLENGTH, 0, 0);
        SendMessageA(AppState.hwndEdit, WM_GETTEXT, length + 16, reinterpret_cast<LPARAM>(&copy[0]));
        double t2 = Now();
        replace += t1 - t0;
        refresh += t2 - t1;
    }
    SendMessageA(AppState.hwndEdit, WM_SETREDRAW, TRUE, 0);
    std::printf("in a 1 MB text, one EM_SETSEL + EM_REPLACESEL: %.1f ms; one snapshot refresh "
                "(WM_GETTEXTLENGTH + WM_GETTEXT): %.1f ms\n", 1000 * replace / n, 1000 * refresh / n);
    Stop();
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
    if (wanted("type")) {
        TypeInSplit(folder, "edict100k.euc");
        TypeInSplit(folder, "edict1m.euc");
    }
    if (wanted("find")) {
        FindAcross(1 << 20);
        FindAcross(10 << 20);
    }
    if (wanted("parts"))
        ReplacementParts();
    if (wanted("replace"))
        ReplaceMany(1000);
    // A quarter of an hour under Wine: only when asked for (make bench-long).
    if (argc > 2 && wanted("replace-long"))
        ReplaceMany(10000);
    std::fflush(stdout);
    return 0;
}
