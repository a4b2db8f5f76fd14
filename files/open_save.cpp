// The open and save flows: whole files between the disk and the main pane,
// through the conversion passes, each in its own progress window, and the
// common dialogs that choose a file's name.
#include <windows.h>
#include <commdlg.h>

#include <cstring>

#include "app/appstate.h"
#include "app/global_buffer.h"
#include "app/shell.h"
#include "codec/convert.h"
#include "codec/pipeline.h"
#include "files/files.h"
#include "files/meter.h"

FileReplacer ReplaceTextFile = ReplaceFileA;

namespace {

const char kFilter[] = "TEXT Files {*.txt}\0*.txt\0All Files {*.*}\0*.*\0";

class FileHandle {
public:
    explicit FileHandle(HANDLE h) : h_(h) {}
    ~FileHandle() { Close(); }
    FileHandle(const FileHandle&) = delete;
    FileHandle& operator=(const FileHandle&) = delete;
    void Close()
    {
        if (h_ != INVALID_HANDLE_VALUE)
            CloseHandle(h_);
        h_ = INVALID_HANDLE_VALUE;
    }
    HANDLE get() const { return h_; }
    bool valid() const { return h_ != INVALID_HANDLE_VALUE; }

private:
    HANDLE h_;
};

// The folder part of a path, for a temporary file beside the target.
bool FolderOf(const char* path, char* folder, DWORD size)
{
    char* name = NULL;
    DWORD n = GetFullPathNameA(path, size, folder, &name);
    if (n == 0 || n >= size)
        return false;
    if (name)
        *name = 0;
    return true;
}

// Whether the target can be replaced now: not held by another program
// without sharing. Asked first so that a refusal leaves nothing behind.
bool CanReplace(const char* path)
{
    HANDLE h = CreateFileA(path, GENERIC_WRITE | DELETE, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                           NULL, OPEN_EXISTING, 0, NULL);
    if (h == INVALID_HANDLE_VALUE)
        return false;
    CloseHandle(h);
    return true;
}

void InitDialog(OPENFILENAMEA* ofn, char* file)
{
    std::memset(ofn, 0, sizeof *ofn);
    // The size without the Windows 2000 fields, which 32-bit and 64-bit
    // Windows both take; 76 would be the 32-bit figure only.
    ofn->lStructSize = OPENFILENAME_SIZE_VERSION_400A;
    ofn->hwndOwner = AppState.hwndMain;
    ofn->lpstrFilter = kFilter;
    ofn->lpstrFile = file;
    ofn->nMaxFile = MAX_PATH;
    ofn->lpstrDefExt = "txt";
}

char keptCopy[MAX_PATH];

void KeepCopy(const char* temporary) { lstrcpynA(keptCopy, temporary, sizeof keptCopy); }

// The file a save writes: the one a symbolic link names, found by opening
// it, or the path as it stands (a new file); and whether it has other names.
void ResolveTarget(const char* path, char* target, DWORD size, bool* otherNames)
{
    lstrcpynA(target, path, static_cast<int>(size));
    *otherNames = false;
    HANDLE h = CreateFileA(path, 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, NULL, OPEN_EXISTING,
                           FILE_FLAG_BACKUP_SEMANTICS, NULL);
    if (h == INVALID_HANDLE_VALUE)
        return;
    BY_HANDLE_FILE_INFORMATION info;
    *otherNames = GetFileInformationByHandle(h, &info) && info.nNumberOfLinks > 1;
    char final[MAX_PATH + 8];
    DWORD n = GetFinalPathNameByHandleA(h, final, sizeof final, FILE_NAME_NORMALIZED | VOLUME_NAME_DOS);
    CloseHandle(h);
    const char* resolved = final;
    if (n > 4 && n < sizeof final && std::strncmp(final, "\\\\?\\", 4) == 0)
        resolved = final + 4;  // \\?\ C:\...
    if (n > 0 && n < sizeof final && std::strlen(resolved) < size && std::strncmp(resolved, "UNC\\", 4) != 0)
        lstrcpynA(target, resolved, static_cast<int>(size));
}

// Rewrites an existing file with `data`, through to the disk.
bool WriteInPlace(const char* path, const char* data, std::size_t length)
{
    FileHandle file(CreateFileA(path, GENERIC_WRITE, 0, NULL, TRUNCATE_EXISTING, FILE_FLAG_WRITE_THROUGH, NULL));
    if (!file.valid())
        return false;
    DWORD written = 0;
    WriteFile(file.get(), data, static_cast<DWORD>(length), &written, NULL);
    return written == length && FlushFileBuffers(file.get());
}

// A file dialog proposing `file`, which receives the chosen name.
bool RunFileDialog(BOOL(APIENTRY* dialog)(LPOPENFILENAMEA), DWORD flags, char* file)
{
    OPENFILENAMEA ofn;
    InitDialog(&ofn, file);
    ofn.Flags = flags;
    return dialog(&ofn) != FALSE;
}

}  // namespace

const char* SaveKeptCopy() { return keptCopy; }

bool ChooseFileToOpen(char* file) { return RunFileDialog(GetOpenFileNameA, OFN_FILEMUSTEXIST, file); }

bool ChooseFileToSave(char* file)
{
    return RunFileDialog(GetSaveFileNameA, OFN_OVERWRITEPROMPT | OFN_HIDEREADONLY | OFN_PATHMUSTEXIST, file);
}

ErrorCode LoadTextFile(const char* path, std::uint64_t* replaced, std::uint64_t* leftOut, KanjiCode as)
{
    FileHandle file(CreateFileA(path, GENERIC_READ, FILE_SHARE_READ, NULL, OPEN_EXISTING,
                                FILE_ATTRIBUTE_ARCHIVE | FILE_FLAG_SEQUENTIAL_SCAN, NULL));
    if (!file.valid())
        return EC_OPEN_FAILED;
    // A file of 4 GiB or more, or one whose buffers would not fit 32 bits,
    // is refused before anything is read.
    DWORD high = 0;
    DWORD size = GetFileSize(file.get(), &high);
    std::uint32_t rawSize = 0, convertedSize = 0;
    if (high != 0 || (size == INVALID_FILE_SIZE && GetLastError() != NO_ERROR) ||
        !LoadBufferSizes(size, &rawSize, &convertedSize))
        return EC_NO_MEMORY;
    GlobalBuffer raw(rawSize);
    GlobalBuffer converted(convertedSize);
    if (!raw || !converted)
        return EC_NO_MEMORY;
    // One byte more than the size is asked for, so that a file that grew
    // since its size was taken is noticed.
    DWORD got = 0;
    ReadFile(file.get(), raw.get(), size + 1, &got, NULL);
    if (got != size)
        return EC_IO_COUNT;
    raw.get()[size] = 0;

    // The detected codes are the document's from here on, even when the
    // pane then refuses the text.
    LoadResult loaded =
        ConvertFileOnLoad(raw.get(), size, converted.get(), convertedSize, ConversionProgressObserver(), as);
    if (path != AppState.loadedPath)
        lstrcpynA(AppState.loadedPath, path, sizeof AppState.loadedPath);
    AppState.detectedLineBreak = loaded.lineBreak;
    AppState.detectedKanji = loaded.kanji;
    AppState.detectedByteOrderMark = loaded.byteOrderMark;
    if (replaced)
        *replaced = loaded.replaced;
    if (leftOut)
        *leftOut = loaded.leftOut;
    raw.Release();
    if (!SetPaneText(AppState.hwndEdit, converted.get()))
        return EC_TEXT_REFUSED;
    return EC_SUCCESS;
}

// The save never touches the target until the whole output is on disk: both
// passes run first, the bytes go to a temporary file in the target's folder,
// and that file replaces the target only when every byte is written.
ErrorCode SaveTextFile(const char* path, std::uint64_t* replacedChars, PlacelessQuestion ask)
{
    keptCopy[0] = 0;
    const KanjiCode kanji = EffectiveKanjiCode(AppState.kanjiSetting, AppState.detectedKanji);
    const LineBreakCode lineBreak = EffectiveLineBreakCode(AppState.lineBreakSetting, AppState.detectedLineBreak);
    LRESULT length = SendMessageA(AppState.hwndEdit, WM_GETTEXTLENGTH, 0, 0);
    std::uint32_t textSize = 0, outputSize = 0;
    if (length < 0 || !SaveBufferSizes(static_cast<std::uint64_t>(length), 0, &textSize, &outputSize))
        return EC_NO_MEMORY;
    GlobalBuffer text(textSize);
    if (!text)
        return EC_NO_MEMORY;
    LRESULT got = SendMessageA(AppState.hwndEdit, WM_GETTEXT, textSize, reinterpret_cast<LPARAM>(text.get()));
    const std::size_t count = got > 0 && static_cast<std::uint32_t>(got) < textSize ? static_cast<std::size_t>(got) : 0;
    text.get()[count] = 0;
    // What the code has no place for is asked about before anything is written.
    std::size_t first = 0;
    const std::uint64_t placeless = CountWithoutPlace(text.get(), count, kanji, &first);
    if (placeless > 0 && ask && !ask(kanji, placeless, text.get(), count, first))
        return EC_CANCELLED;
    // A lone CR written as LF CR needs room beyond the usual slack.
    std::size_t growth = LineBreakGrowthOnSave(text.get(), count, lineBreak);
    if (growth > 0) {
        if (!SaveBufferSizes(count, growth, &textSize, &outputSize) || !text.Grow(textSize))
            return EC_NO_MEMORY;
    }
    // Shift-JIS output is the text itself and needs no output buffer.
    GlobalBuffer output;
    if (SaveNeedsOutput(kanji) && !output.Allocate(outputSize))
        return EC_NO_MEMORY;
    SavedText saved = ConvertTextOnSave(text.get(), count, textSize, output.get(), outputSize, kanji, lineBreak,
                                        ConversionProgressObserver(),
                                        WritesByteOrderMark(kanji, AppState.detectedByteOrderMark));
    if (replacedChars)
        *replacedChars = saved.replaced;

    // The file a symbolic link names is the one written, beside itself; a
    // file with other names (hard links) is written in place below.
    char target[MAX_PATH];
    bool otherNames = false;
    ResolveTarget(path, target, sizeof target, &otherNames);
    path = target;
    char folder[MAX_PATH];
    char temporary[MAX_PATH];
    if (!FolderOf(path, folder, sizeof folder) || !GetTempFileNameA(folder, "vx", 0, temporary))
        return EC_OPEN_FAILED;
    FileHandle out(CreateFileA(temporary, GENERIC_WRITE, 0, NULL, CREATE_ALWAYS,
                               FILE_ATTRIBUTE_ARCHIVE | FILE_FLAG_SEQUENTIAL_SCAN | FILE_FLAG_WRITE_THROUGH, NULL));
    if (!out.valid()) {
        DeleteFileA(temporary);
        return EC_OPEN_FAILED;
    }
    DWORD written = 0;
    WriteFile(out.get(), saved.data, static_cast<DWORD>(saved.length), &written, NULL);
    bool complete = written == saved.length && FlushFileBuffers(out.get());
    out.Close();
    if (!complete) {
        DeleteFileA(temporary);
        return EC_IO_COUNT;
    }
    DWORD attributes = GetFileAttributesA(path);
    if (attributes != INVALID_FILE_ATTRIBUTES &&
        ((attributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_READONLY)) || !CanReplace(path))) {
        DeleteFileA(temporary);
        return EC_OPEN_FAILED;
    }
    if (attributes != INVALID_FILE_ATTRIBUTES && otherNames) {
        // Replacing would leave the other names with the old text: the
        // complete copy is on disk, so the file itself is rewritten.
        if (!WriteInPlace(path, saved.data, saved.length)) {
            KeepCopy(temporary);
            return EC_IO_COUNT;
        }
        DeleteFileA(temporary);
        return EC_SUCCESS;
    }
    BOOL swapped = attributes == INVALID_FILE_ATTRIBUTES
                        ? MoveFileExA(temporary, path, MOVEFILE_WRITE_THROUGH)
                        : ReplaceTextFile(path, temporary, NULL, REPLACEFILE_WRITE_THROUGH, NULL, NULL);
    if (!swapped) {
        // After these two the old file may be gone or renamed and the new
        // text is in the temporary file only: it is never deleted then.
        DWORD error = GetLastError();
        if (error == ERROR_UNABLE_TO_MOVE_REPLACEMENT || error == ERROR_UNABLE_TO_MOVE_REPLACEMENT_2)
            KeepCopy(temporary);
        else
            DeleteFileA(temporary);
        return EC_OPEN_FAILED;
    }
    // Windows keeps the replaced file's attributes; Wine's replacement
    // does not, so they are set again (hidden, system, archive and the like).
    const DWORD kept = FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_ARCHIVE |
                       FILE_ATTRIBUTE_NOT_CONTENT_INDEXED;
    if (attributes != INVALID_FILE_ATTRIBUTES) {
        DWORD now = GetFileAttributesA(path);
        if (now != INVALID_FILE_ATTRIBUTES && (now & kept) != (attributes & kept)) {
            DWORD wanted = (now & ~kept & ~FILE_ATTRIBUTE_NORMAL) | (attributes & kept);
            SetFileAttributesA(path, wanted ? wanted : FILE_ATTRIBUTE_NORMAL);
        }
    }
    return EC_SUCCESS;
}
