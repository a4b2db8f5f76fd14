// Types into the editor from outside, as a user does: the editor runs as
// a process of its own, the keys come through SendInput, and each key is
// timed until the editor has taken it (its pane's caret has moved on) and
// until it has painted it (no window of it has anything left to paint, and
// its thread has come back to its queue since).
//
//     key_driver EDITOR FILE [KEYS]
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "res/resource.h"

namespace {

double Now()
{
    static LARGE_INTEGER frequency;
    if (!frequency.QuadPart)
        QueryPerformanceFrequency(&frequency);
    LARGE_INTEGER t;
    QueryPerformanceCounter(&t);
    return 1000.0 * static_cast<double>(t.QuadPart) / static_cast<double>(frequency.QuadPart);
}

struct Found {
    DWORD process;
    HWND window;
};

BOOL CALLBACK FindMain(HWND window, LPARAM lParam)
{
    Found* f = reinterpret_cast<Found*>(lParam);
    DWORD process = 0;
    GetWindowThreadProcessId(window, &process);
    char name[32];
    if (process == f->process && GetClassNameA(window, name, sizeof name) && std::string(name) == "EditApli") {
        f->window = window;
        return FALSE;
    }
    return TRUE;
}

// Where the caret is: an answer that costs the editor nothing, whatever
// the size of its text (the text's length would cost a count of it). It is
// only compared with itself, so that Wine's control counts characters and
// an ANSI control on Windows bytes does not matter: each key moves it on.
DWORD CaretOf(HWND pane)
{
    DWORD_PTR position = 0;
    DWORD end = 0;
    SendMessageTimeoutA(pane, EM_GETSEL, 0, reinterpret_cast<LPARAM>(&end), SMTO_BLOCK, 5000, &position);
    return end;
}

// The pane's length in bytes: under Wine an ANSI pane counts its whole
// text for it, so an outside probe that asks it after every key slows the
// editor down by as much as it measures (KEY_DRIVER_PROBE=length shows it).
DWORD_PTR LengthOf(HWND pane)
{
    DWORD_PTR length = 0;
    SendMessageTimeoutA(pane, WM_GETTEXTLENGTH, 0, 0, SMTO_BLOCK, 5000, &length);
    return length;
}

// True when none of the windows has anything left to paint and the
// editor's thread has come back to its queue since.
bool Painted(const std::vector<HWND>& windows)
{
    DWORD_PTR ignored;
    SendMessageTimeoutA(windows[0], WM_NULL, 0, 0, SMTO_BLOCK, 5000, &ignored);
    for (HWND w : windows)
        if (w && GetUpdateRect(w, NULL, FALSE))
            return false;
    return true;
}

// A click in the middle of a pane: it takes the focus and puts the caret there.
void ClickInto(HWND pane, HANDLE process)
{
    RECT r;
    GetWindowRect(pane, &r);
    SetCursorPos((r.left + r.right) / 2, (r.top + r.bottom) / 2);
    INPUT in[2] = {};
    in[0].type = in[1].type = INPUT_MOUSE;
    in[0].mi.dwFlags = MOUSEEVENTF_LEFTDOWN;
    in[1].mi.dwFlags = MOUSEEVENTF_LEFTUP;
    SendInput(2, in, sizeof(INPUT));
    WaitForInputIdle(process, 5000);
}

struct Times {
    std::vector<double> taken, idle;
};

void TypeKeys(HWND pane, const std::vector<HWND>& windows, int count, Times* times)
{
    for (int i = 0; i < count; ++i) {
        const bool byLength = std::getenv("KEY_DRIVER_PROBE") != nullptr;
        const DWORD_PTR before = byLength ? LengthOf(windows[1]) : CaretOf(pane);
        INPUT in[2] = {};
        in[0].type = in[1].type = INPUT_KEYBOARD;
        in[0].ki.wVk = in[1].ki.wVk = 'X';
        in[1].ki.dwFlags = KEYEVENTF_KEYUP;
        const double t0 = Now();
        SendInput(2, in, sizeof(INPUT));
        while ((byLength ? LengthOf(windows[1]) : CaretOf(pane)) == before && Now() - t0 < 5000)
            Sleep(0);
        const double taken = Now() - t0;
        while (!Painted(windows) && Now() - t0 < 5000)
            Sleep(0);
        times->taken.push_back(taken);
        times->idle.push_back(Now() - t0);
        Sleep(20);  // the next key comes after a pause, as a typist's does
    }
}

double Median(std::vector<double> v)
{
    std::sort(v.begin(), v.end());
    return v.empty() ? 0 : v[v.size() / 2];
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc < 3) {
        std::fprintf(stderr, "usage: key_driver EDITOR FILE [KEYS]\n");
        return 64;
    }
    const int keys = argc > 3 ? std::atoi(argv[3]) : 5;
    std::string command = std::string("\"") + argv[1] + "\" \"" + argv[2] + "\"";
    STARTUPINFOA si = {};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi = {};
    if (!CreateProcessA(NULL, &command[0], NULL, NULL, FALSE, 0, NULL, NULL, &si, &pi)) {
        std::fprintf(stderr, "key_driver: cannot start %s\n", argv[1]);
        return 2;
    }
    WaitForInputIdle(pi.hProcess, 30000);
    Found f{pi.dwProcessId, NULL};
    for (int tries = 0; tries < 100 && !f.window; ++tries) {
        EnumWindows(FindMain, reinterpret_cast<LPARAM>(&f));
        if (!f.window)
            Sleep(100);
    }
    if (!f.window) {
        std::fprintf(stderr, "key_driver: no editor window\n");
        TerminateProcess(pi.hProcess, 1);
        return 2;
    }
    SetForegroundWindow(f.window);
    if (std::getenv("KEY_DRIVER_QUIET"))
        SendMessageA(f.window, WM_COMMAND, IDM_SOUND, 0);
    HWND mainPane = GetDlgItem(f.window, ID_EDIT_MAIN);
    HWND status = FindWindowExA(f.window, NULL, "msctls_statusbar32", NULL);
    Times unsplit, main, sub;
    const int rounds = 4;
    for (int round = 0; round < rounds; ++round) {
        ClickInto(mainPane, pi.hProcess);
        TypeKeys(mainPane, {f.window, mainPane, status}, keys, &unsplit);
        SendMessageA(f.window, WM_COMMAND, IDM_SPLIT, 0);
        WaitForInputIdle(pi.hProcess, 5000);
        HWND subPane = GetDlgItem(f.window, ID_EDIT_SUB);
        const std::vector<HWND> windows{f.window, mainPane, subPane, status};
        // The panes take turns at going first.
        for (int k = 0; k < 2; ++k) {
            const bool mainNow = (k == 0) == (round % 2 == 0);
            ClickInto(mainNow ? mainPane : subPane, pi.hProcess);
            TypeKeys(mainNow ? mainPane : subPane, windows, keys, mainNow ? &main : &sub);
        }
        SendMessageA(f.window, WM_COMMAND, IDM_SPLIT, 0);
        WaitForInputIdle(pi.hProcess, 5000);
    }
    const double u = Median(unsplit.idle);
    std::printf("keys from outside, %s: unsplit %.1f ms (taken %.1f); split: main pane %.1f ms (%.2fx, taken %.1f), "
                "second pane %.1f ms (%.2fx, taken %.1f)\n",
                argv[2], u, Median(unsplit.taken), Median(main.idle), Median(main.idle) / u, Median(main.taken),
                Median(sub.idle), Median(sub.idle) / u, Median(sub.taken));
    TerminateProcess(pi.hProcess, 0);
    return 0;
}
