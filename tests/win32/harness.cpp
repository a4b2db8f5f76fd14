#include "harness.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "app/appstate.h"
#include "app/shell.h"
#include "res/resource.h"

namespace {

HACCEL loopAccelerators;
bool quitSeen;
Answerer* activeAnswerer;
HHOOK progressHook;
int progressWindows;

bool HasChild(HWND w, int id) { return GetDlgItem(w, id) != NULL; }

std::string ClassOf(HWND w)
{
    char name[64] = "";
    GetClassNameA(w, name, sizeof name);
    return name;
}

BOOL CALLBACK CollectDialogs(HWND w, LPARAM lParam)
{
    if (IsWindowVisible(w) && ClassOf(w) == "#32770")
        reinterpret_cast<std::vector<HWND>*>(lParam)->push_back(w);
    return TRUE;
}

HWND FileNameField(HWND dialog)
{
    // The explorer-style dialogs name the field cmb13; older ones edt1.
    if (HWND combo = GetDlgItem(dialog, 0x47C))
        return combo;
    return GetDlgItem(dialog, 0x480);
}

LRESULT CALLBACK CountProgressWindows(int code, WPARAM wParam, LPARAM lParam)
{
    if (code == HCBT_CREATEWND) {
        const CREATESTRUCTA* cs = reinterpret_cast<CBT_CREATEWNDA*>(lParam)->lpcs;
        bool dialog = IS_INTRESOURCE(cs->lpszClass) ? LOWORD(reinterpret_cast<ULONG_PTR>(cs->lpszClass)) == 0x8002
                                                    : std::strcmp(cs->lpszClass, "#32770") == 0;
        if (dialog && (cs->style & WS_POPUP) && (cs->style & WS_CAPTION) != WS_CAPTION && !(cs->style & WS_CHILD))
            ++progressWindows;
    }
    return CallNextHookEx(progressHook, code, wParam, lParam);
}

HHOOK creationHook;
std::vector<std::pair<int, DWORD>> creations;

LRESULT CALLBACK RecordCreation(int code, WPARAM wParam, LPARAM lParam)
{
    if (code == HCBT_CREATEWND) {
        const CREATESTRUCTA* cs = reinterpret_cast<CBT_CREATEWNDA*>(lParam)->lpcs;
        if (cs->style & WS_CHILD)
            creations.push_back({static_cast<int>(reinterpret_cast<INT_PTR>(cs->hMenu)), static_cast<DWORD>(cs->style)});
    }
    return CallNextHookEx(creationHook, code, wParam, lParam);
}

// The editor's texts are code page 932 and the tests compare its bytes: in
// any other code page every GUI test would test something else. Stops the
// run before the first test, saying why.
class CodePageCheck : public ::testing::Environment {
public:
    void SetUp() override
    {
        if (GetACP() == 932)
            return;
        std::printf("gui_tests: the ANSI code page is %u, not 932: run under Wine with LC_ALL=ja_JP.UTF-8 and the "
               "locale generated (tools/setup.sh)\n",
               GetACP());
        std::fflush(stdout);
        std::exit(2);
    }
};
::testing::Environment* const codePageCheck = ::testing::AddGlobalTestEnvironment(new CodePageCheck);

}  // namespace

CreationRecorder::CreationRecorder()
{
    creations.clear();
    creationHook = SetWindowsHookExA(WH_CBT, RecordCreation, NULL, GetCurrentThreadId());
}

CreationRecorder::~CreationRecorder() { UnhookWindowsHookEx(creationHook); }

DWORD CreationRecorder::StyleOf(int id) const
{
    for (const auto& c : creations)
        if (c.first == id)
            return c.second;
    return 0;
}

std::string ReadFileBytes(const std::string& path)
{
    std::string out;
    HANDLE f = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, NULL, OPEN_EXISTING, 0, NULL);
    if (f == INVALID_HANDLE_VALUE)
        return "<missing>";
    char buf[65536];
    DWORD got = 0;
    while (ReadFile(f, buf, sizeof buf, &got, NULL) && got > 0)
        out.append(buf, got);
    CloseHandle(f);
    return out;
}

void WriteFileBytes(const std::string& path, const std::string& bytes)
{
    HANDLE f = CreateFileA(path.c_str(), GENERIC_WRITE, 0, NULL, CREATE_ALWAYS, 0, NULL);
    ASSERT_NE(f, INVALID_HANDLE_VALUE) << path;
    DWORD written = 0;
    WriteFile(f, bytes.data(), static_cast<DWORD>(bytes.size()), &written, NULL);
    CloseHandle(f);
    ASSERT_EQ(written, bytes.size());
}

std::string PaneText(HWND pane)
{
    int n = GetWindowTextLengthA(pane);
    std::string s(static_cast<std::size_t>(n) + 1, '\0');
    int got = static_cast<int>(SendMessageA(pane, WM_GETTEXT, s.size(), reinterpret_cast<LPARAM>(&s[0])));
    s.resize(static_cast<std::size_t>(got));
    return s;
}

void SetClipboardText(HWND owner, const char* text)
{
    OpenClipboard(owner);
    EmptyClipboard();
    HGLOBAL h = GlobalAlloc(GMEM_MOVEABLE, std::strlen(text) + 1);
    std::strcpy(static_cast<char*>(GlobalLock(h)), text);
    GlobalUnlock(h);
    SetClipboardData(CF_TEXT, h);
    CloseClipboard();
}

std::string ClipboardText(HWND owner)
{
    std::string s;
    OpenClipboard(owner);
    if (HANDLE h = GetClipboardData(CF_TEXT)) {
        s = static_cast<const char*>(GlobalLock(h));
        GlobalUnlock(h);
    }
    CloseClipboard();
    return s;
}

std::string WindowText(HWND window)
{
    char buf[1024] = "";
    GetWindowTextA(window, buf, sizeof buf);
    return buf;
}

std::string MenuText(UINT id)
{
    char buf[256] = "";
    GetMenuStringA(GetMenu(AppState.hwndMain), id, buf, sizeof buf, MF_BYCOMMAND);
    return buf;
}

UINT MenuState(UINT id) { return GetMenuState(GetMenu(AppState.hwndMain), id, MF_BYCOMMAND); }
bool MenuChecked(UINT id) { return (MenuState(id) & MF_CHECKED) != 0; }
bool MenuGrayed(UINT id) { return (MenuState(id) & (MF_GRAYED | MF_DISABLED)) == (MF_GRAYED | MF_DISABLED); }

std::string TestFolder()
{
    char temp[MAX_PATH];
    GetTempPathA(sizeof temp, temp);
    std::string folder = std::string(temp) + "vexa-tests";
    CreateDirectoryA(folder.c_str(), NULL);
    const ::testing::TestInfo* info = ::testing::UnitTest::GetInstance()->current_test_info();
    char unique[32];
    std::snprintf(unique, sizeof unique, "-%lu", GetTickCount());
    folder += "\\" + std::string(info ? info->name() : "test") + unique;
    CreateDirectoryA(folder.c_str(), NULL);
    return folder + "\\";
}

std::string DataFile(const std::string& name)
{
    const char* unix = std::getenv("VEXA_TEST_DATA");
    std::string path = unix ? std::string("Z:") + unix : std::string("data");
    for (char& c : path)
        if (c == '/')
            c = '\\';
    return path + "\\" + name;
}

void Pump(int milliseconds)
{
    DWORD end = GetTickCount() + static_cast<DWORD>(milliseconds);
    do {
        MSG msg;
        while (PeekMessageA(&msg, NULL, 0, 0, PM_REMOVE)) {
            if (msg.message == WM_QUIT) {
                quitSeen = true;
                continue;
            }
            DispatchLoopMessage(&msg, loopAccelerators);
        }
        MsgWaitForMultipleObjects(0, NULL, FALSE, 5, QS_ALLINPUT);
    } while (static_cast<int>(end - GetTickCount()) > 0);
}

Answerer::Answerer()
{
    activeAnswerer = this;
    timer_ = SetTimer(NULL, 0, 40, Tick);
}

Answerer::~Answerer()
{
    KillTimer(NULL, timer_);
    activeAnswerer = nullptr;
}

Answerer& Answerer::Press(int button, std::function<void(HWND)> before)
{
    plan_.push_back(Step{Step::Button, button, "", before});
    return *this;
}

Answerer& Answerer::Type(const std::string& name)
{
    plan_.push_back(Step{Step::FileName, IDOK, name, nullptr});
    return *this;
}

Answerer& Answerer::CancelDialog()
{
    plan_.push_back(Step{Step::Cancel, IDCANCEL, "", nullptr});
    return *this;
}

void CALLBACK Answerer::Tick(HWND, UINT, UINT_PTR, DWORD)
{
    if (activeAnswerer)
        activeAnswerer->Look();
}

void Answerer::Look()
{
    std::vector<HWND> windows;
    EnumThreadWindows(GetCurrentThreadId(), CollectDialogs, reinterpret_cast<LPARAM>(&windows));
    for (HWND w : windows) {
        bool seen = false;
        for (HWND h : handled_)
            seen = seen || h == w;
        if (seen || HasChild(w, IDC_FIND_TEXT))
            continue;
        bool messageBox = HasChild(w, 0xFFFF) && !FileNameField(w);
        bool fileDialog = FileNameField(w) != NULL;
        if (!messageBox && !fileDialog)
            continue;
        handled_.push_back(w);
        Step step{Step::Button, 0, "", nullptr};
        bool planned = next_ < plan_.size();
        if (planned)
            step = plan_[next_++];
        if (messageBox) {
            SeenBox box;
            box.caption = WindowText(w);
            char text[1024] = "";
            GetDlgItemTextA(w, 0xFFFF, text, sizeof text);
            box.text = text;
            for (int id : {IDOK, IDCANCEL, IDYES, IDNO})
                if (HasChild(w, id))
                    box.buttons.push_back(id);
            box.owner = GetWindow(w, GW_OWNER);
            boxes.push_back(box);
            if (!planned || step.kind != Step::Button) {
                ++unexpected;
                step.button = HasChild(w, IDCANCEL) ? IDCANCEL : HasChild(w, IDNO) ? IDNO : IDOK;
            }
            if (step.before)
                step.before(w);
            PostMessageA(GetDlgItem(w, step.button), BM_CLICK, 0, 0);
        } else {
            dialogs.push_back(WindowText(w));
            if (!planned || step.kind == Step::Button) {
                ++unexpected;
                step.kind = Step::Cancel;
            }
            if (step.kind == Step::FileName) {
                HWND field = FileNameField(w);
                SetWindowTextA(field, step.name.c_str());
                PostMessageA(GetDlgItem(w, IDOK), BM_CLICK, 0, 0);
            } else {
                PostMessageA(GetDlgItem(w, IDCANCEL), BM_CLICK, 0, 0);
            }
        }
    }
}

ProgressWindowCounter::ProgressWindowCounter()
{
    progressWindows = 0;
    progressHook = SetWindowsHookExA(WH_CBT, CountProgressWindows, NULL, GetCurrentThreadId());
}

ProgressWindowCounter::~ProgressWindowCounter() { UnhookWindowsHookEx(progressHook); }

int ProgressWindowCounter::count() const { return progressWindows; }

void EditorTest::Start(const std::string& commandLine)
{
    quitSeen = false;
    // The pointer away from the window: a mouse move over a pane would
    // rewrite the status line.
    SetCursorPos(1023, 767);
    ASSERT_TRUE(StartApplication(GetModuleHandleA(NULL), commandLine.c_str(), SW_SHOWNORMAL, &accelerators_));
    loopAccelerators = accelerators_;
    main_ = AppState.hwndMain;
    Pump(50);
}

void EditorTest::Close()
{
    if (!main_)
        return;
    if (IsWindow(main_)) {
        SendMessageA(AppState.hwndEdit, EM_SETMODIFY, FALSE, 0);
        DestroyWindow(main_);
    }
    for (int i = 0; i < 100 && !quitSeen; ++i)
        Pump(10);
    EXPECT_TRUE(quitSeen) << "the loop got no quit message";
    FinishApplication();
    main_ = NULL;
}

void EditorTest::TearDown() { Close(); }

void EditorTest::Command(UINT id) { SendMessageA(main_, WM_COMMAND, MAKEWPARAM(id, 0), 0); }

void EditorTest::TypeChar(HWND pane, unsigned char c)
{
    PostMessageA(pane, WM_CHAR, c, 1);
    Pump(10);
}

void EditorTest::Key(HWND pane, UINT vk, bool repeated)
{
    PostMessageA(pane, WM_KEYDOWN, vk, 1 | (repeated ? (1u << 30) : 0));
    Pump(10);
}
