// Opening and saving real files in all twelve code combinations, through
// every way a user has: the command line, a drop, the Open and Save
// commands with their dialogs; and the failures a user meets.
#include <windows.h>
#include <commctrl.h>
#include <shlobj.h>

#include <cstring>

#include "app/appstate.h"
#include "app/shell.h"
#include "files/files.h"
#include "files/meter.h"
#include "harness.h"
#include "res/resource.h"

namespace {

struct Combination {
    const char* file;  // made by the peers
    KanjiCode kanji;
    LineBreakCode lineBreak;
    UINT kanjiItem;
    UINT lineBreakItem;
    bool mark = false;  // UTF-8 behind a byte-order mark
};

// The menu items that choose each code: a lone LF is UNIX, a lone CR Macintosh.
const Combination kCombinations[] = {
    {"sjis-crlf.txt", KanjiCode::ShiftJIS, LineBreakCode::CrLf, IDM_KANJI_SJIS, IDM_LB_WINDOWS},
    {"sjis-lf.txt", KanjiCode::ShiftJIS, LineBreakCode::Lf, IDM_KANJI_SJIS, IDM_LB_UNIX},
    {"sjis-cr.txt", KanjiCode::ShiftJIS, LineBreakCode::Cr, IDM_KANJI_SJIS, IDM_LB_MAC},
    {"sjis-lfcr.txt", KanjiCode::ShiftJIS, LineBreakCode::LfCr, IDM_KANJI_SJIS, IDM_LB_REVWIN},
    {"euc-crlf.txt", KanjiCode::EUC, LineBreakCode::CrLf, IDM_KANJI_EUC, IDM_LB_WINDOWS},
    {"euc-lf.txt", KanjiCode::EUC, LineBreakCode::Lf, IDM_KANJI_EUC, IDM_LB_UNIX},
    {"euc-cr.txt", KanjiCode::EUC, LineBreakCode::Cr, IDM_KANJI_EUC, IDM_LB_MAC},
    {"euc-lfcr.txt", KanjiCode::EUC, LineBreakCode::LfCr, IDM_KANJI_EUC, IDM_LB_REVWIN},
    {"jis-crlf.txt", KanjiCode::JIS, LineBreakCode::CrLf, IDM_KANJI_JIS, IDM_LB_WINDOWS},
    {"jis-lf.txt", KanjiCode::JIS, LineBreakCode::Lf, IDM_KANJI_JIS, IDM_LB_UNIX},
    {"jis-cr.txt", KanjiCode::JIS, LineBreakCode::Cr, IDM_KANJI_JIS, IDM_LB_MAC},
    {"jis-lfcr.txt", KanjiCode::JIS, LineBreakCode::LfCr, IDM_KANJI_JIS, IDM_LB_REVWIN},
    {"utf8-crlf.txt", KanjiCode::UTF8, LineBreakCode::CrLf, IDM_KANJI_UTF8, IDM_LB_WINDOWS},
    {"utf8-lf.txt", KanjiCode::UTF8, LineBreakCode::Lf, IDM_KANJI_UTF8, IDM_LB_UNIX},
    {"utf8-cr.txt", KanjiCode::UTF8, LineBreakCode::Cr, IDM_KANJI_UTF8, IDM_LB_MAC},
    {"utf8-lfcr.txt", KanjiCode::UTF8, LineBreakCode::LfCr, IDM_KANJI_UTF8, IDM_LB_REVWIN},
    {"utf8bom-crlf.txt", KanjiCode::UTF8, LineBreakCode::CrLf, IDM_KANJI_UTF8, IDM_LB_WINDOWS, true},
    {"utf8bom-lf.txt", KanjiCode::UTF8, LineBreakCode::Lf, IDM_KANJI_UTF8, IDM_LB_UNIX, true},
    {"utf8bom-cr.txt", KanjiCode::UTF8, LineBreakCode::Cr, IDM_KANJI_UTF8, IDM_LB_MAC, true},
    {"utf8bom-lfcr.txt", KanjiCode::UTF8, LineBreakCode::LfCr, IDM_KANJI_UTF8, IDM_LB_REVWIN, true},
};

class FilesTest : public EditorTest {
protected:
    void SetUp() override
    {
        reference_ = ReadFileBytes(DataFile("reference.txt"));
        ASSERT_GT(reference_.size(), 1000u) << "test data missing: " << DataFile("reference.txt");
    }
    void ExpectLoaded(const Combination& c, const std::string& path)
    {
        EXPECT_EQ(PaneText(AppState.hwndEdit) == reference_, true) << c.file;
        EXPECT_EQ(AppState.detectedKanji, c.kanji) << c.file;
        EXPECT_EQ(AppState.detectedLineBreak, c.lineBreak) << c.file;
        EXPECT_STREQ(AppState.filePath, path.c_str());
        EXPECT_EQ(WindowText(main_), "VEXA Edit ! : " + path);
        EXPECT_EQ(SendMessageA(AppState.hwndEdit, EM_GETMODIFY, 0, 0), 0) << c.file;
    }
    std::string reference_;
};

// A real drop structure with one or more paths.
HDROP MakeDrop(const std::vector<std::string>& paths)
{
    std::size_t size = sizeof(DROPFILES) + 1;
    for (const auto& p : paths)
        size += p.size() + 1;
    HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, size);
    auto* drop = static_cast<DROPFILES*>(GlobalLock(block));
    drop->pFiles = sizeof(DROPFILES);
    drop->fWide = FALSE;
    char* names = reinterpret_cast<char*>(drop + 1);
    for (const auto& p : paths) {
        std::memcpy(names, p.c_str(), p.size() + 1);
        names += p.size() + 1;
    }
    GlobalUnlock(block);
    return static_cast<HDROP>(block);
}

void Drop(HWND window, const std::vector<std::string>& paths)
{
    SendMessageA(window, WM_DROPFILES, reinterpret_cast<WPARAM>(MakeDrop(paths)), 0);
}

bool NoTemporaryFiles(const std::string& folder)
{
    WIN32_FIND_DATAA found;
    HANDLE h = FindFirstFileA((folder + "*.tmp").c_str(), &found);
    if (h == INVALID_HANDLE_VALUE)
        return true;
    FindClose(h);
    return false;
}

TEST_F(FilesTest, LoadTextFileEveryCombination)
{
    Start();
    for (const auto& c : kCombinations) {
        ProgressWindowCounter progress;
        MeterCounts before = ConversionMeterCounts();
        ASSERT_EQ(LoadTextFile(DataFile(c.file).c_str()), EC_SUCCESS) << c.file;
        EXPECT_EQ(PaneText(AppState.hwndEdit) == reference_, true) << c.file;
        EXPECT_EQ(AppState.detectedKanji, c.kanji) << c.file;
        EXPECT_EQ(AppState.detectedLineBreak, c.lineBreak) << c.file;
        EXPECT_EQ(progress.count(), 2) << c.file;
        // Painted only when the shown value changes: at most 21 per pass.
        MeterCounts after = ConversionMeterCounts();
        EXPECT_LE(after.paints - before.paints, 42u);
        EXPECT_GT(after.advances - before.advances, after.paints - before.paints);
        // LoadTextFile leaves the path to its caller.
        EXPECT_STREQ(AppState.filePath, "NewFile.txt");
    }
}

TEST_F(FilesTest, CommandLineEveryCombination)
{
    for (const auto& c : kCombinations) {
        std::string path = DataFile(c.file);
        ProgressWindowCounter progress;
        Start("\"" + path + "\"");
        ExpectLoaded(c, path);
        EXPECT_EQ(progress.count(), 2) << c.file;
        Close();
    }
}

TEST_F(FilesTest, DropEveryCombination)
{
    Start();
    for (const auto& c : kCombinations) {
        ProgressWindowCounter progress;
        std::string path = DataFile(c.file);
        Drop(main_, {path, DataFile("reference.txt")});  // only the first is opened
        ExpectLoaded(c, path);
        EXPECT_EQ(progress.count(), 2) << c.file;
    }
}

TEST_F(FilesTest, OpenCommandEveryCombination)
{
    Start();
    for (const auto& c : kCombinations) {
        ProgressWindowCounter progress;
        Answerer answers;
        std::string path = DataFile(c.file);
        answers.Type(path);
        Command(IDM_OPEN);
        Pump();
        EXPECT_TRUE(answers.Done());
        EXPECT_EQ(answers.unexpected, 0);
        ExpectLoaded(c, path);
        EXPECT_EQ(progress.count(), 2) << c.file;
    }
}

TEST_F(FilesTest, SaveCommandWritesWhatThePeersWrite)
{
    Start();
    std::string folder = TestFolder();
    for (const auto& c : kCombinations) {
        // A UTF-8 save writes a byte-order mark when the file opened last had one.
        ASSERT_EQ(LoadTextFile(DataFile(c.mark ? "utf8bom-crlf.txt" : "sjis-crlf.txt").c_str()), EC_SUCCESS);
        SendMessageA(AppState.hwndEdit, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(reference_.c_str()));
        SendMessageA(AppState.hwndEdit, EM_SETMODIFY, TRUE, 0);
        Command(c.kanjiItem);
        Command(c.lineBreakItem);
        std::string path = folder + c.file;
        ProgressWindowCounter progress;
        Answerer answers;
        answers.Type(path);
        Command(IDM_SAVE);
        Pump();
        EXPECT_EQ(answers.unexpected, 0);
        std::string written = ReadFileBytes(path), peer = ReadFileBytes(DataFile(c.file));
        EXPECT_EQ(written.size(), peer.size()) << c.file;
        EXPECT_TRUE(written == peer) << c.file;
        EXPECT_EQ(progress.count(), 2) << c.file;
        EXPECT_EQ(WindowText(main_), "VEXA Edit ! : " + path);
        EXPECT_STREQ(AppState.filePath, path.c_str());
        EXPECT_EQ(SendMessageA(AppState.hwndEdit, EM_GETMODIFY, 0, 0), 0);
    }
    EXPECT_TRUE(NoTemporaryFiles(folder));
}

// Under Wine a Japanese name reaches the disk through the host's locale: a
// name given on the command line, dropped or typed into the Open dialog
// opens the file a peer wrote under it, and a name typed into the Save
// dialog is the name on the disk.
TEST_F(FilesTest, JapaneseFileNamesThroughEveryPath)
{
    const Combination& eucLf = kCombinations[5];
    ASSERT_STREQ(eucLf.file, "euc-lf.txt");
    const std::string path = DataFile("日本語 名.txt");
    Start("\"" + path + "\"");
    ExpectLoaded(eucLf, path);
    Close();

    Start();
    Drop(main_, {path});
    ExpectLoaded(eucLf, path);
    SendMessageA(AppState.hwndEdit, WM_SETTEXT, 0, reinterpret_cast<LPARAM>("other"));
    {
        Answerer answers;
        answers.Type(path);
        Command(IDM_OPEN);
        Pump();
        EXPECT_TRUE(answers.Done());
        EXPECT_EQ(answers.unexpected, 0);
        ExpectLoaded(eucLf, path);
    }
    const std::string saved = TestFolder() + "保存した 文書.txt";
    Answerer answers;
    answers.Type(saved);
    Command(IDM_SAVE);
    Pump();
    EXPECT_EQ(answers.unexpected, 0);
    EXPECT_EQ(WindowText(main_), "VEXA Edit ! : " + saved);
    EXPECT_TRUE(ReadFileBytes(saved) == ReadFileBytes(DataFile("euc-lf.txt")));
    // The name on the disk, where Wine can say it: UTF-8, as the locale has it.
    using UnixName = char*(CDECL*)(LPCWSTR);
    auto unixName = reinterpret_cast<UnixName>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA("kernel32.dll"), "wine_get_unix_file_name")));
    if (unixName) {
        WCHAR wide[MAX_PATH];
        ASSERT_GT(MultiByteToWideChar(932, 0, saved.c_str(), -1, wide, MAX_PATH), 0);
        char* name = unixName(wide);
        ASSERT_TRUE(name != nullptr);
        const std::string onDisk = name;
        HeapFree(GetProcessHeap(), 0, name);
        const std::string expected = u8"/保存した 文書.txt";
        ASSERT_GE(onDisk.size(), expected.size());
        EXPECT_EQ(Hex(onDisk.substr(onDisk.size() - expected.size())), Hex(expected));
    }
}

TEST_F(FilesTest, SaveOverAnExistingFileAsksFirst)
{
    Start();
    std::string path = TestFolder() + "existing.txt";
    WriteFileBytes(path, "old contents");
    SendMessageA(AppState.hwndEdit, WM_SETTEXT, 0, reinterpret_cast<LPARAM>("new\r\n"));
    Answerer answers;
    answers.Type(path).Press(IDYES);
    Command(IDM_SAVE);
    Pump();
    ASSERT_EQ(answers.boxes.size(), 1u);  // the dialog's overwrite question
    EXPECT_EQ(answers.unexpected, 0);
    EXPECT_EQ(ReadFileBytes(path), "new\r\n");
}

TEST_F(FilesTest, AutoWritesEachFileBackInItsOwnCodes)
{
    Start();
    std::string folder = TestFolder();
    for (const auto& c : kCombinations) {
        std::string original = DataFile(c.file);
        ASSERT_EQ(LoadTextFile(original.c_str()), EC_SUCCESS);
        std::string copy = folder + c.file;
        Answerer answers;
        answers.Type(copy);
        Command(IDM_SAVE);
        Pump();
        EXPECT_TRUE(ReadFileBytes(copy) == ReadFileBytes(original)) << c.file;
    }
}

TEST_F(FilesTest, StartValuesWriteThePaneTextUnchanged)
{
    Start();
    std::string path = TestFolder() + "plain.txt";
    const char text[] = "\x82\xA0\r\nline two\r\n";
    SendMessageA(AppState.hwndEdit, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text));
    ASSERT_EQ(SaveTextFile(path.c_str()), EC_SUCCESS);
    EXPECT_EQ(Hex(ReadFileBytes(path)), Hex(text));
}

TEST_F(FilesTest, MissingDroppedFileIsReported)
{
    Start();
    SendMessageA(AppState.hwndEdit, WM_SETTEXT, 0, reinterpret_cast<LPARAM>("kept"));
    Answerer answers;
    answers.Press(IDOK);
    Drop(main_, {TestFolder() + "not-there.txt"});
    Pump();
    ASSERT_EQ(answers.boxes.size(), 1u);
    EXPECT_EQ(Hex(answers.boxes[0].caption), Hex("ファイルの読み込み"));
    EXPECT_EQ(Hex(answers.boxes[0].text), Hex("ファイルを開く際に問題が起きました。"));
    EXPECT_EQ(PaneText(AppState.hwndEdit), "kept");
    EXPECT_STREQ(AppState.filePath, "NewFile.txt");
    EXPECT_EQ(WindowText(main_), "VEXA Edit ! : NewFile.txt");
}

TEST_F(FilesTest, FileWhoseSizeDiffersFromItsContentGives4)
{
    // Under Wine a file of /proc reports the size 0 and then reads bytes:
    // what a file that grew between the size and the read looks like.
    Start();
    Answerer answers;
    answers.Press(IDOK);
    Drop(main_, {"Z:\\proc\\self\\status"});
    Pump();
    ASSERT_EQ(answers.boxes.size(), 1u);
    EXPECT_EQ(Hex(answers.boxes[0].text), Hex("ファイル入出力で障害が起きました。"));
    EXPECT_EQ(PaneText(AppState.hwndEdit), "");
}

TEST_F(FilesTest, FailedSavesLeaveThePreviousFileIntact)
{
    Start();
    std::string folder = TestFolder();
    SendMessageA(AppState.hwndEdit, WM_SETTEXT, 0, reinterpret_cast<LPARAM>("new text"));

    // A folder as the target.
    std::string sub = folder + "a folder";
    CreateDirectoryA(sub.c_str(), NULL);
    EXPECT_EQ(SaveTextFile(sub.c_str()), EC_OPEN_FAILED);
    EXPECT_NE(GetFileAttributesA(sub.c_str()) & FILE_ATTRIBUTE_DIRECTORY, 0u);
    EXPECT_TRUE(NoTemporaryFiles(folder)) << "folder";

    // A read-only file.
    std::string readOnly = folder + "read-only.txt";
    WriteFileBytes(readOnly, "precious");
    SetFileAttributesA(readOnly.c_str(), FILE_ATTRIBUTE_READONLY);
    EXPECT_EQ(SaveTextFile(readOnly.c_str()), EC_OPEN_FAILED);
    EXPECT_EQ(ReadFileBytes(readOnly), "precious");
    SetFileAttributesA(readOnly.c_str(), FILE_ATTRIBUTE_NORMAL);
    EXPECT_TRUE(NoTemporaryFiles(folder)) << "read-only";

    // A file another program holds open without sharing.
    std::string locked = folder + "locked.txt";
    WriteFileBytes(locked, "in use");
    HANDLE holder = CreateFileA(locked.c_str(), GENERIC_READ, 0, NULL, OPEN_EXISTING, 0, NULL);
    ASSERT_NE(holder, INVALID_HANDLE_VALUE);
    EXPECT_EQ(SaveTextFile(locked.c_str()), EC_OPEN_FAILED);
    CloseHandle(holder);
    EXPECT_EQ(ReadFileBytes(locked), "in use");
    EXPECT_TRUE(NoTemporaryFiles(folder)) << "locked";

    // A folder that does not exist.
    EXPECT_EQ(SaveTextFile((folder + "no\\such\\folder.txt").c_str()), EC_OPEN_FAILED);
    EXPECT_TRUE(NoTemporaryFiles(folder));
}

TEST_F(FilesTest, FailedSaveCommandShowsTheBoxAndChangesNothing)
{
    Start();
    std::string path = TestFolder() + "read-only.txt";
    WriteFileBytes(path, "precious");
    SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_READONLY);
    SendMessageA(AppState.hwndEdit, WM_SETTEXT, 0, reinterpret_cast<LPARAM>("new"));
    SendMessageA(AppState.hwndEdit, EM_SETMODIFY, TRUE, 0);
    Answerer answers;
    answers.Type(path).Press(IDYES).Press(IDOK);
    Command(IDM_SAVE);
    Pump();
    ASSERT_FALSE(answers.boxes.empty());
    const SeenBox& box = answers.boxes.back();
    EXPECT_EQ(Hex(box.caption), Hex("ファイルの保存"));
    EXPECT_EQ(Hex(box.text), Hex("ファイルを開く際に問題が起きました。"));
    EXPECT_EQ(box.owner, main_);
    EXPECT_EQ(ReadFileBytes(path), "precious");
    EXPECT_STREQ(AppState.filePath, "NewFile.txt");
    EXPECT_EQ(WindowText(main_), "VEXA Edit ! : NewFile.txt");
    EXPECT_EQ(SendMessageA(AppState.hwndEdit, EM_GETMODIFY, 0, 0), 1);
    SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
}

TEST_F(FilesTest, CancelledSaveChangesNothing)
{
    Start();
    SendMessageA(AppState.hwndEdit, EM_SETMODIFY, TRUE, 0);
    Answerer answers;
    answers.CancelDialog();
    Command(IDM_SAVE);
    Pump();
    EXPECT_TRUE(answers.boxes.empty());
    EXPECT_EQ(SendMessageA(AppState.hwndEdit, EM_GETMODIFY, 0, 0), 1);
    EXPECT_EQ(WindowText(main_), "VEXA Edit ! : NewFile.txt");
}

TEST_F(FilesTest, DropOnEditedTextAsksFirst)
{
    Start();
    std::string path = DataFile("euc-lf.txt");
    SendMessageA(AppState.hwndEdit, WM_SETTEXT, 0, reinterpret_cast<LPARAM>("draft"));
    SendMessageA(AppState.hwndEdit, EM_SETMODIFY, TRUE, 0);
    {
        // Yes, then the save dialog cancelled: a notice, nothing loaded.
        Answerer answers;
        answers.Press(IDYES).CancelDialog().Press(IDOK);
        Drop(main_, {path});
        Pump();
        ASSERT_EQ(answers.boxes.size(), 2u);
        EXPECT_EQ(Hex(answers.boxes[1].caption), Hex("ドラッグ＆ドロップ"));
        EXPECT_EQ(Hex(answers.boxes[1].text), Hex("ファイルの保存と読み込みを中断しました。"));
        EXPECT_EQ(PaneText(AppState.hwndEdit), "draft");
    }
    {
        Answerer answers;
        answers.Press(IDCANCEL);
        Drop(main_, {path});
        Pump();
        EXPECT_EQ(PaneText(AppState.hwndEdit), "draft");
    }
    {
        Answerer answers;
        answers.Press(IDNO);
        Drop(main_, {path});
        Pump();
        EXPECT_TRUE(PaneText(AppState.hwndEdit) == reference_);
        EXPECT_STREQ(AppState.filePath, path.c_str());
    }
}

// The save question's save writes the file and keeps its path, but leaves
// the title and the edited flag to what follows: the load when the open
// dialog gives a file, nothing when it is cancelled (the window still
// shows the old name and the text still counts as edited).
TEST_F(FilesTest, OpenOnEditedTextSavesFirstWhenAskedTo)
{
    for (bool cancelOpen : {false, true}) {
        Start();
        std::string saved = TestFolder() + "draft.txt";
        SendMessageA(AppState.hwndEdit, WM_SETTEXT, 0, reinterpret_cast<LPARAM>("draft\r\n"));
        SendMessageA(AppState.hwndEdit, EM_SETMODIFY, TRUE, 0);
        Answerer answers;
        answers.Press(IDYES).Type(saved);
        if (cancelOpen)
            answers.CancelDialog();
        else
            answers.Type(DataFile("jis-lf.txt"));
        Command(IDM_OPEN);
        Pump();
        EXPECT_EQ(answers.unexpected, 0);
        EXPECT_EQ(ReadFileBytes(saved), "draft\r\n");
        if (cancelOpen) {
            EXPECT_EQ(PaneText(AppState.hwndEdit), "draft\r\n");
            EXPECT_EQ(WindowText(main_), "VEXA Edit ! : NewFile.txt");
            EXPECT_EQ(SendMessageA(AppState.hwndEdit, EM_GETMODIFY, 0, 0), 1);
            EXPECT_STREQ(AppState.filePath, saved.c_str());
        } else {
            EXPECT_TRUE(PaneText(AppState.hwndEdit) == reference_);
            EXPECT_STREQ(AppState.filePath, DataFile("jis-lf.txt").c_str());
        }
        Close();
    }
}

// Files that other programs write: half-width katakana in EUC and in JIS,
// and UTF-16 of both orders behind its mark. Each opens through every path
// as the text the peers started from, and a save under Auto writes it back
// byte for byte.
struct OtherProgramFile {
    const char* file;
    const char* reference;
    KanjiCode kanji;
    LineBreakCode lineBreak;
};
const OtherProgramFile kOtherProgramFiles[] = {
    {"kana-euc-lf.txt", "kana-reference.txt", KanjiCode::EUC, LineBreakCode::Lf},
    {"kana-jis-lf.txt", "kana-reference.txt", KanjiCode::JIS, LineBreakCode::Lf},
    {"utf16le-crlf.txt", "reference.txt", KanjiCode::UTF16, LineBreakCode::CrLf},
    {"utf16be-crlf.txt", "reference.txt", KanjiCode::UTF16BE, LineBreakCode::CrLf},
};

TEST_F(FilesTest, FilesOfOtherProgramsOpenEveryWayAndSaveBackUnchanged)
{
    const std::string folder = TestFolder();
    for (const auto& f : kOtherProgramFiles) {
        const std::string path = DataFile(f.file), reference = ReadFileBytes(DataFile(f.reference));
        auto expectOpened = [&](const char* how) {
            EXPECT_TRUE(PaneText(AppState.hwndEdit) == reference) << f.file << " " << how;
            EXPECT_EQ(AppState.detectedKanji, f.kanji) << f.file << " " << how;
            EXPECT_EQ(AppState.detectedLineBreak, f.lineBreak) << f.file << " " << how;
            EXPECT_EQ(WindowText(main_), "VEXA Edit ! : " + path) << how;
        };
        {
            Answerer none;  // no box may come
            Start("\"" + path + "\"");
            expectOpened("command line");
            Close();
            Start();
            Drop(main_, {path});
            expectOpened("drop");
            EXPECT_EQ(none.unexpected, 0);
        }
        SendMessageA(AppState.hwndEdit, WM_SETTEXT, 0, reinterpret_cast<LPARAM>("other"));
        {
            Answerer answers;
            answers.Type(path);
            Command(IDM_OPEN);
            Pump();
            EXPECT_EQ(answers.unexpected, 0);
            expectOpened("open dialog");
        }
        const std::string copy = folder + f.file;
        Answerer answers;
        answers.Type(copy);
        Command(IDM_SAVE);
        Pump();
        EXPECT_EQ(answers.unexpected, 0);
        EXPECT_TRUE(ReadFileBytes(copy) == ReadFileBytes(path)) << f.file;
        Close();
    }
}

// The menu item UTF-16 saves little-endian behind its mark, as iconv writes it.
TEST_F(FilesTest, Utf16MenuItemSavesLittleEndianWithItsMark)
{
    Start();
    EXPECT_EQ(Hex(MenuText(IDM_KANJI_UTF16)), Hex("UTF-16"));
    ASSERT_EQ(LoadTextFile(DataFile("sjis-crlf.txt").c_str()), EC_SUCCESS);
    Command(IDM_KANJI_UTF16);
    EXPECT_TRUE(MenuChecked(IDM_KANJI_UTF16));
    EXPECT_FALSE(MenuChecked(IDM_KANJI_AUTO));
    const std::string path = TestFolder() + "unicode.txt";
    Answerer answers;
    answers.Type(path);
    Command(IDM_SAVE);
    Pump();
    EXPECT_EQ(answers.unexpected, 0);
    EXPECT_TRUE(ReadFileBytes(path) == ReadFileBytes(DataFile("utf16le-crlf.txt")));
}

// A zero byte ends the text: the box says how much was left out, and the
// document is a new one, so that no save overwrites the file with less.
TEST_F(FilesTest, ZeroByteIsToldAndTheDocumentIsNew)
{
    const std::string path = DataFile("zero-cut.txt"), original = ReadFileBytes(path);
    const std::size_t zero = original.find('\0');
    ASSERT_NE(zero, std::string::npos);
    const std::string left = std::to_string(original.size() - zero);
    auto expectTold = [&](const Answerer& answers, const char* how) {
        ASSERT_EQ(answers.boxes.size(), 1u) << how;
        EXPECT_EQ(Hex(answers.boxes[0].caption), Hex("ファイルの読み込み")) << how;
        EXPECT_NE(answers.boxes[0].text.find(" " + left + " "), std::string::npos) << answers.boxes[0].text;
        EXPECT_TRUE(PaneText(AppState.hwndEdit) == original.substr(0, zero)) << how;
        EXPECT_STREQ(AppState.filePath, "NewFile.txt") << how;
        EXPECT_EQ(WindowText(main_), "VEXA Edit ! : NewFile.txt") << how;
        EXPECT_TRUE(ReadFileBytes(path) == original) << how;
    };
    {
        Answerer answers;
        answers.Press(IDOK);
        Start("\"" + path + "\"");
        Pump();
        expectTold(answers, "command line");
    }
    {
        Answerer answers;
        answers.Press(IDOK);
        Drop(main_, {path});
        Pump();
        expectTold(answers, "drop");
    }
    {
        Answerer answers;
        answers.Type(path).Press(IDOK);
        Command(IDM_OPEN);
        Pump();
        std::vector<SeenBox> boxes = answers.boxes;
        Answerer shown;
        shown.boxes = boxes;
        expectTold(shown, "open dialog");
    }
}

}  // namespace

namespace {

// A save through a symbolic link writes the file it names and leaves the
// link; a file with several names keeps them all, with the new text.
TEST_F(FilesTest, SavesThroughLinksWriteTheFileTheyName)
{
    Start();
    SendMessageA(AppState.hwndEdit, WM_SETTEXT, 0, reinterpret_cast<LPARAM>("new\r\n"));
    ASSERT_EQ(SaveTextFile(DataFile("link-name.txt").c_str()), EC_SUCCESS);
    EXPECT_EQ(ReadFileBytes(DataFile("link-target.txt")), "new\r\n");
    EXPECT_EQ(ReadFileBytes(DataFile("link-name.txt")), "new\r\n");
    SendMessageA(AppState.hwndEdit, WM_SETTEXT, 0, reinterpret_cast<LPARAM>("newer\r\n"));
    ASSERT_EQ(SaveTextFile(DataFile("link-name.txt").c_str()), EC_SUCCESS);
    EXPECT_EQ(ReadFileBytes(DataFile("link-target.txt")), "newer\r\n");

    ASSERT_EQ(SaveTextFile(DataFile("hard-a.txt").c_str()), EC_SUCCESS);
    EXPECT_EQ(ReadFileBytes(DataFile("hard-a.txt")), "newer\r\n");
    EXPECT_EQ(ReadFileBytes(DataFile("hard-b.txt")), "newer\r\n");
    std::string folder = DataFile("");
    EXPECT_TRUE(NoTemporaryFiles(folder));
}

}  // namespace

namespace {

// The replaced file keeps its attributes.
TEST_F(FilesTest, SaveKeepsTheFilesAttributes)
{
    Start();
    std::string path = TestFolder() + "hidden.txt";
    WriteFileBytes(path, "old\r\n");
    ASSERT_TRUE(SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_HIDDEN));
    ASSERT_NE(GetFileAttributesA(path.c_str()) & FILE_ATTRIBUTE_HIDDEN, 0u);
    SendMessageA(AppState.hwndEdit, WM_SETTEXT, 0, reinterpret_cast<LPARAM>("new\r\n"));
    ASSERT_EQ(SaveTextFile(path.c_str()), EC_SUCCESS);
    EXPECT_EQ(ReadFileBytes(path), "new\r\n");
    EXPECT_NE(GetFileAttributesA(path.c_str()) & FILE_ATTRIBUTE_HIDDEN, 0u);
}

}  // namespace

namespace {

BOOL WINAPI ReplacementCannotMove(LPCSTR, LPCSTR, LPCSTR, DWORD, LPVOID, LPVOID)
{
    SetLastError(ERROR_UNABLE_TO_MOVE_REPLACEMENT);
    return FALSE;
}

// When the replacement reports that it could not move the new file into
// place, that file may be the only copy of the text: it stays, and the box
// says where it is.
TEST_F(FilesTest, AFailedReplacementKeepsTheOnlyCopyAndSaysWhere)
{
    Start();
    std::string folder = TestFolder(), path = folder + "kept.txt";
    WriteFileBytes(path, "old\r\n");
    SendMessageA(AppState.hwndEdit, WM_SETTEXT, 0, reinterpret_cast<LPARAM>("the only copy\r\n"));
    FileReplacer saved = ReplaceTextFile;
    ReplaceTextFile = ReplacementCannotMove;
    Answerer answers;
    answers.Press(IDOK);
    ErrorCode result = SaveDocument(main_, path.c_str());
    ReplaceTextFile = saved;
    EXPECT_EQ(result, EC_OPEN_FAILED);
    ASSERT_EQ(answers.boxes.size(), 1u);
    EXPECT_EQ(Hex(answers.boxes[0].caption), Hex("ファイルの保存"));
    std::string kept = SaveKeptCopy();
    ASSERT_FALSE(kept.empty());
    EXPECT_NE(answers.boxes[0].text.find(kept), std::string::npos);
    EXPECT_EQ(ReadFileBytes(kept), "the only copy\r\n");
    EXPECT_EQ(ReadFileBytes(path), "old\r\n");
    DeleteFileA(kept.c_str());
}

// A UTF-8 file with characters that Shift-JIS cannot hold opens with 〓 in
// their place, a box that counts them, and as a new document, so that no
// save overwrites the file unless the user names it.
TEST_F(FilesTest, Utf8CharactersOutsideShiftJisAreCountedAndTheDocumentIsNew)
{
    Start();
    const std::string path = DataFile("outside-utf8.txt");
    const std::string original = ReadFileBytes(path);
    Answerer answers;
    answers.Press(IDOK);
    Drop(main_, {path});
    Pump();
    ASSERT_EQ(answers.boxes.size(), 1u);
    EXPECT_EQ(answers.boxes[0].caption, "ファイルの読み込み");
    EXPECT_NE(answers.boxes[0].text.find(" 4 個"), std::string::npos) << answers.boxes[0].text;
    EXPECT_EQ(Hex(PaneText(AppState.hwndEdit)), Hex("\x81\xAC\x96\xEC\x89\xC6 \x81\xAC\r\n\x81\xAC \x81\xAC\r\n"));
    EXPECT_EQ(AppState.detectedKanji, KanjiCode::UTF8);
    EXPECT_STREQ(AppState.filePath, "NewFile.txt");
    EXPECT_EQ(WindowText(main_), "VEXA Edit ! : NewFile.txt");
    EXPECT_EQ(SendMessageA(AppState.hwndEdit, EM_GETMODIFY, 0, 0), 0);

    // Saved under a name the user gives, in UTF-8 again: the 〓 are text now.
    const std::string copy = TestFolder() + "renamed.txt";
    Answerer save;
    save.Type(copy);
    Command(IDM_SAVE);
    Pump();
    EXPECT_EQ(save.unexpected, 0);
    EXPECT_EQ(Hex(ReadFileBytes(copy)), Hex("\xE3\x80\x93\xE9\x87\x8E\xE5\xAE\xB6 \xE3\x80\x93\r\n"
                                            "\xE3\x80\x93 \xE3\x80\x93\r\n"));
    EXPECT_TRUE(ReadFileBytes(path) == original);

    // A file whose characters all fit keeps its name, without a box.
    Answerer none;
    Drop(main_, {DataFile("utf8-lf.txt")});
    Pump();
    EXPECT_TRUE(none.boxes.empty());
    EXPECT_STREQ(AppState.filePath, DataFile("utf8-lf.txt").c_str());
}

// A document opened from UTF-8 is saved in any other code like any other.
TEST_F(FilesTest, Utf8DocumentSavesInEachOtherCode)
{
    Start();
    const std::string folder = TestFolder();
    const struct {
        UINT item;
        const char* peer;
    } codes[] = {{IDM_KANJI_SJIS, "sjis-crlf.txt"}, {IDM_KANJI_EUC, "euc-crlf.txt"}, {IDM_KANJI_JIS, "jis-crlf.txt"}};
    for (const auto& c : codes) {
        ASSERT_EQ(OpenDocument(main_, DataFile("utf8bom-lf.txt").c_str(), true), EC_SUCCESS);
        Command(c.item);
        Command(IDM_LB_WINDOWS);
        const std::string path = folder + c.peer;
        Answerer answers;
        answers.Type(path);
        Command(IDM_SAVE);
        Pump();
        EXPECT_EQ(answers.unexpected, 0);
        EXPECT_TRUE(ReadFileBytes(path) == ReadFileBytes(DataFile(c.peer))) << c.peer;
    }
}

}  // namespace

namespace {

std::wstring Wide(const std::string& sjis)
{
    std::wstring w(sjis.size() + 1, L'\0');
    w.resize(static_cast<std::size_t>(
        MultiByteToWideChar(932, 0, sjis.data(), static_cast<int>(sjis.size()), &w[0], static_cast<int>(w.size()))));
    return w;
}

// 髙橋 山﨑 ⅰⅱ ￢ ∵ ①㈱ in their IBM and NEC codes and one user-defined
// character, typed and saved through the Save dialog in EUC and in JIS:
// the box asks first; No writes nothing and selects that character, Yes
// writes 〓 in its place, and the file reopens as the same characters.
TEST_F(FilesTest, CharactersACodeHasNoPlaceForAreAskedAboutFirst)
{
    Start();
    HWND pane = AppState.hwndEdit;
    SetFocus(pane);
    Pump();
    // 名前 first: a text that begins with 8F is detected as Shift-JIS.
    const std::string typed = Unhex("96 BC 91 4F 20 FB FC 8B B4 20 8E 52 FA B1 20 FA 40 FA 41 20 FA 54 20 FA 5B 20 87 40 FA 58 20"
                                    " F2 40 20 61");
    for (std::size_t i = 0; i < typed.size(); ++i)
        PostMessageA(pane, WM_CHAR, static_cast<unsigned char>(typed[i]), 1);
    Pump();
    const std::string text = PaneText(pane);
    ASSERT_EQ(Wide(text), Wide(typed));  // the control may hold a twin of a code
    const std::wstring saved = Wide(Unhex("96 BC 91 4F 20 FB FC 8B B4 20 8E 52 FA B1 20 FA 40 FA 41 20 FA 54 20 FA 5B 20 87 40 FA 58 20"
                                          " 81 AC 20 61"));
    const struct {
        UINT item;
        const char* name;
    } codes[] = {{IDM_KANJI_EUC, "EUC"}, {IDM_KANJI_JIS, "JIS"}};
    for (const auto& c : codes) {
        SendMessageA(pane, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()));
        SendMessageA(pane, EM_SETMODIFY, TRUE, 0);
        Command(c.item);
        const std::string path = TestFolder() + c.name + ".txt";
        WriteFileBytes(path, "old\r\n");
        Answerer no;
        no.Type(path).Press(IDYES).Press(IDNO);  // overwrite, then the new box
        Command(IDM_SAVE);
        Pump();
        EXPECT_EQ(no.unexpected, 0) << c.name;
        ASSERT_EQ(no.boxes.size(), 2u) << c.name;
        EXPECT_EQ(Hex(no.boxes[1].caption), Hex("ファイルの保存"));
        EXPECT_NE(no.boxes[1].text.find("1 個"), std::string::npos) << no.boxes[1].text;
        EXPECT_NE(no.boxes[1].text.find(c.name), std::string::npos) << no.boxes[1].text;
        EXPECT_EQ(ReadFileBytes(path), "old\r\n") << c.name;
        EXPECT_EQ(SendMessageA(pane, EM_GETMODIFY, 0, 0), 1) << c.name;
        // The user-defined character is the 20th, at byte 31, whichever the pane counts.
        DWORD s = 0, e = 0;
        SendMessageA(pane, EM_GETSEL, reinterpret_cast<WPARAM>(&s), reinterpret_cast<LPARAM>(&e));
        EXPECT_TRUE((s == 19 && e == 20) || (s == 31 && e == 33)) << c.name << " " << s << "-" << e;

        Answerer yes;
        yes.Type(path).Press(IDYES).Press(IDYES);
        Command(IDM_SAVE);
        Pump();
        EXPECT_EQ(yes.unexpected, 0) << c.name;
        const std::string written = ReadFileBytes(path);
        EXPECT_NE(written, "old\r\n") << c.name;
        if (c.item == IDM_KANJI_JIS) {
            for (char b : written) {
                ASSERT_LT(static_cast<unsigned char>(b), 0x80u) << Hex(written);
            }
        }
        EXPECT_EQ(SendMessageA(pane, EM_GETMODIFY, 0, 0), 0) << c.name;
        ASSERT_EQ(OpenDocument(main_, path.c_str(), true), EC_SUCCESS);
        EXPECT_EQ(Wide(PaneText(pane)), saved) << c.name << ": " << Hex(PaneText(pane));
        EXPECT_STREQ(AppState.filePath, path.c_str());
    }
}

}  // namespace

namespace {

std::string StatusCodes()
{
    char text[64] = "";
    SendMessageA(AppState.hwndStatus, SB_GETTEXTA, 1, reinterpret_cast<LPARAM>(text));
    return text;
}

// Files the detection misreads, read right after 開き直す in their code and
// written back byte for byte under 自動; the status line names the codes a
// save would write after each step.
TEST_F(FilesTest, ReopenInANamedCodeReadsWhatDetectionMisread)
{
    Start();
    EXPECT_TRUE(MenuGrayed(IDM_REOPEN_AUTO));  // no file read yet
    EXPECT_TRUE(MenuGrayed(IDM_REOPEN_SJIS));
    EXPECT_EQ(StatusCodes(), "S-JIS  CR LF");
    const std::string folder = TestFolder();
    const struct {
        const char* name;
        const char* fileHex;
        UINT item;
        const char* detected;  // the codes shown after the first open
        const char* reopened;
        const char* textHex;   // the text read in the right code
    } cases[] = {
        // Half-width katakana alone read both ways; the first pair says EUC.
        {"kana-only.txt", "B1 B2 B3 0A", IDM_REOPEN_SJIS, "EUC  LF", "S-JIS  LF", "B1 B2 B3 0D 0A"},
        // The first answers that the whole text corrects: EUC by the
        // katakana pair, but 8A is no EUC byte; Shift-JIS by 8E B1, but all
        // of it is EUC.
        {"kana-first.txt", "B1 B2 B3 8A BF 8E 9A 0A", IDM_REOPEN_SJIS, "S-JIS  LF", "S-JIS  LF", "B1 B2 B3 8A BF 8E 9A 0D 0A"},
        {"single-shift-first.txt", "8E B1 B4 C1 BB FA 0A", IDM_REOPEN_EUC, "EUC  LF", "EUC  LF", "B1 8A BF 8E 9A 0D 0A"},
        {"cyrillic.txt", "D0 9F D1 80 D0 B8 D0 B2 D0 B5 D1 82 20 D0 BC D0 B8 D1 80 0A", IDM_REOPEN_UTF8, "S-JIS  LF",
         "UTF-8  LF", "84 50 84 82 84 79 84 72 84 75 84 84 20 84 7D 84 79 84 82 0D 0A"},
    };
    for (const auto& c : cases) {
        const std::string path = folder + c.name, file = Unhex(c.fileHex);
        WriteFileBytes(path, file);
        ASSERT_EQ(OpenDocument(main_, path.c_str(), true), EC_SUCCESS);
        EXPECT_EQ(StatusCodes(), c.detected) << c.name;
        EXPECT_FALSE(MenuGrayed(c.item)) << c.name;
        // Edited: the save question comes first (No: the edit is dropped).
        SendMessageA(AppState.hwndEdit, EM_SETMODIFY, TRUE, 0);
        Answerer answers;
        answers.Press(IDNO);
        Command(c.item);
        Pump();
        ASSERT_EQ(answers.boxes.size(), 1u) << c.name;
        EXPECT_EQ(Hex(answers.boxes[0].caption), Hex("テキストが編集されています。"));
        EXPECT_EQ(Hex(PaneText(AppState.hwndEdit)), c.textHex) << c.name;
        EXPECT_EQ(StatusCodes(), c.reopened) << c.name;
        EXPECT_STREQ(AppState.filePath, path.c_str());
        ASSERT_EQ(SaveDocument(main_, path.c_str()), EC_SUCCESS);
        EXPECT_EQ(Hex(ReadFileBytes(path)), Hex(file)) << c.name;
    }
    // A menu setting changes what a save would write, and the status says so.
    Command(IDM_KANJI_JIS);
    Command(IDM_LB_MAC);
    EXPECT_EQ(StatusCodes(), "JIS  CR");
    Command(IDM_KANJI_AUTO);
    Command(IDM_LB_AUTO);
    EXPECT_EQ(StatusCodes(), "UTF-8  LF");

    // UTF-16 without a mark is full of zero bytes: a box, NewFile.txt; read
    // as UTF-16 it is whole and takes its name again.
    const std::string path = folder + "nomark.txt";
    WriteFileBytes(path, Unhex("22 6F 57 5B 0A 00"));
    Answerer zero;
    zero.Press(IDOK);
    ASSERT_EQ(OpenDocument(main_, path.c_str(), true), EC_SUCCESS);
    EXPECT_EQ(zero.boxes.size(), 1u);
    EXPECT_STREQ(AppState.filePath, "NewFile.txt");
    Answerer none;
    Command(IDM_REOPEN_UTF16);
    Pump();
    EXPECT_TRUE(none.boxes.empty());
    EXPECT_EQ(Hex(PaneText(AppState.hwndEdit)), "8A BF 8E 9A 0D 0A");
    EXPECT_STREQ(AppState.filePath, path.c_str());
    EXPECT_EQ(StatusCodes(), "UTF-16  LF");

    // The file gone: the items are disabled when the menu opens.
    DeleteFileA(path.c_str());
    SendMessageA(main_, WM_INITMENU, reinterpret_cast<WPARAM>(GetMenu(main_)), 0);
    EXPECT_TRUE(MenuGrayed(IDM_REOPEN_UTF16));
}

}  // namespace
