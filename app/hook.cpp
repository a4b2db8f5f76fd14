// The panes' message filter: key clicks and the status line.
#include <windows.h>
#include <commctrl.h>
#include <mmsystem.h>

#include "app/appstate.h"
#include "app/shell.h"
#include "app/sound.h"
#include "app/status.h"
#include "app/pane_offsets.h"

#include <vector>

SoundPlayer PlayKeySound = PlaySoundA;

namespace {

// The status line shows the selection in bytes. A pane that counts
// characters (Wine's) needs the text to count them, so the last answer is
// kept for as long as the pane, the selection and the text's length stay
// the same (mouse moves come in floods).
int SelectionBytes(HWND pane, DWORD start, DWORD end, int length)
{
    if (end <= start)
        return 0;
    if (!PanesCountCharacters())
        return static_cast<int>(end - start);
    static HWND cachedPane;
    static DWORD cachedStart, cachedEnd;
    static int cachedLength = -1, cachedBytes;
    if (pane == cachedPane && start == cachedStart && end == cachedEnd && length == cachedLength)
        return cachedBytes;
    std::vector<char> text(static_cast<std::size_t>(length) + 1);
    LRESULT got = SendMessageA(pane, WM_GETTEXT, text.size(), reinterpret_cast<LPARAM>(text.data()));
    std::size_t n = got > 0 ? static_cast<std::size_t>(got) : 0;
    std::size_t first = ByteOffsetOfChar(text.data(), n, start);
    std::size_t last = ByteOffsetOfChar(text.data(), n, end);
    cachedPane = pane;
    cachedStart = start;
    cachedEnd = end;
    cachedLength = length;
    cachedBytes = static_cast<int>(last - first);
    return cachedBytes;
}

void UpdateStatus(const MSG* msg)
{
    HWND pane = msg->hwnd;
    int size = static_cast<int>(SendMessageA(pane, WM_GETTEXTLENGTH, 0, 0));
    int lines = static_cast<int>(SendMessageA(pane, EM_GETLINECOUNT, 0, 0));
    int line = static_cast<int>(SendMessageA(pane, EM_LINEFROMCHAR, static_cast<WPARAM>(-1), 0)) + 1;
    bool edited = SendMessageA(AppState.hwndEdit, EM_GETMODIFY, 0, 0) != 0;
    DWORD start = 0, end = 0;
    SendMessageA(pane, EM_GETSEL, reinterpret_cast<WPARAM>(&start), reinterpret_cast<LPARAM>(&end));
    char text[108];
    FormatStatus(text, sizeof text, static_cast<unsigned>(msg->wParam), edited, size, line, lines,
                 SelectionBytes(pane, start, end, size));
    SendMessageA(AppState.hwndStatus, SB_SETTEXTA, 0, reinterpret_cast<LPARAM>(text));
}

bool IsPane(HWND window)
{
    // The second pane's field keeps its handle after the split ends.
    return window == AppState.hwndEdit || (AppState.splitOn && window == AppState.hwndEditSub);
}

}  // namespace

HHOOK InstallEditHook(HWND pane)
{
    return SetWindowsHookExA(WH_MSGFILTER, EditHookProc, NULL, GetWindowThreadProcessId(pane, NULL));
}

LRESULT CALLBACK EditHookProc(int code, WPARAM wParam, LPARAM lParam)
{
    if (code != kLoopFilterCode)
        return CallNextHookEx(AppState.hHook, code, wParam, lParam);
    const MSG* msg = reinterpret_cast<const MSG*>(lParam);
    if (!IsPane(msg->hwnd))
        return 0;
    switch (msg->message) {
    case WM_KEYDOWN:
        if (AppState.soundOn) {
            bool repeated = (msg->lParam & (1 << 30)) != 0;
            if (const char* file = KeySoundFile(static_cast<unsigned>(msg->wParam), repeated))
                PlayKeySound(file, NULL, SND_FILENAME | SND_ASYNC);
        }
        // A key that moves the caret ends a run of typing in the history.
        if ((msg->wParam >= VK_PRIOR && msg->wParam <= VK_DOWN))
            SealHistory();
        UpdateStatus(msg);
        return 1;
    case WM_LBUTTONDOWN:
        SealHistory();  // so does a click
        UpdateStatus(msg);
        return 1;
    case WM_MOUSEMOVE:
        UpdateStatus(msg);
        return 1;
    default:
        return 1;
    }
}
