// The open and save flows: whole files between the disk and the main pane,
// through the conversion passes, each in its own progress window.
#include <windows.h>
#include <commdlg.h>

#include <cstring>

#include "app/appstate.h"
#include "app/global_buffer.h"
#include "app/shell.h"
#include "codec/convert.h"
#include "codec/document.h"
#include "files/files.h"
#include "files/meter.h"
#include "res/resource.h"

FlowStatistics LastFlowStatistics;

namespace {

const char kFilter[] = "TEXT Files {*.txt}\0*.txt\0All Files {*.*}\0*.*\0";

// Seconds from a performance counter.
double Now()
{
    LARGE_INTEGER f, c;
    QueryPerformanceFrequency(&f);
    QueryPerformanceCounter(&c);
    return static_cast<double>(c.QuadPart) / static_cast<double>(f.QuadPart);
}

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

void FinishStatistics(const ConversionProgress& progress, double started, double paneSeconds,
                      double diskSeconds = 0)
{
    LastFlowStatistics.diskSeconds = diskSeconds;
    LastFlowStatistics.progressWindows = progress.windows;
    LastFlowStatistics.meterPaints = progress.paints;
    LastFlowStatistics.advances = progress.advances;
    LastFlowStatistics.paneSeconds = paneSeconds;
    LastFlowStatistics.totalSeconds = Now() - started;
}

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

// A file dialog proposing AppState.filePath, then the flow on the chosen
// name; on success the name becomes the document's path.
ErrorCode RunFileDialog(BOOL(APIENTRY* dialog)(LPOPENFILENAMEA), DWORD flags, ErrorCode (*flow)(const char*))
{
    char file[MAX_PATH];
    lstrcpynA(file, AppState.filePath, sizeof file);
    OPENFILENAMEA ofn;
    InitDialog(&ofn, file);
    ofn.Flags = flags;
    if (!dialog(&ofn))
        return EC_CANCELLED;
    ErrorCode result = flow(file);
    if (result == EC_SUCCESS)
        lstrcpyA(AppState.filePath, file);
    return result;
}

}  // namespace

ErrorCode OpenFileByDialog() { return RunFileDialog(GetOpenFileNameA, OFN_FILEMUSTEXIST, LoadTextFile); }

ErrorCode SaveFileByDialog()
{
    return RunFileDialog(GetSaveFileNameA, OFN_OVERWRITEPROMPT | OFN_HIDEREADONLY | OFN_PATHMUSTEXIST, SaveTextFile);
}

ErrorCode LoadTextFile(const char* path)
{
    const double started = Now();
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

    ConversionProgress progress;
    InitConversionProgress(&progress);
    LoadResult loaded = ConvertFileOnLoad(raw.get(), size, converted.get(), convertedSize, &progress.observer);
    AppState.detectedLineBreak = static_cast<int>(loaded.lineBreak);
    AppState.detectedKanji = static_cast<int>(loaded.kanji);
    raw.Release();

    const double paneStarted = Now();
    LRESULT set = SendMessageA(AppState.hwndEdit, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(converted.get()));
    const double paneSeconds = Now() - paneStarted;
    if (!set)
        return EC_TEXT_REFUSED;
    converted.Release();
    file.Close();

    if (AppState.splitOn == 1) {
        ErrorCode code = SyncPanes(ID_EDIT_MAIN);
        if (code != EC_SUCCESS)
            ShowErrorBox(AppState.hwndMain, code, "同期上の問題");
    }
    FinishStatistics(progress, started, paneSeconds);
    return EC_SUCCESS;
}

// The save never touches the target until the whole output is on disk: both
// passes run first, the bytes go to a temporary file in the target's folder,
// and that file replaces the target only when every byte is written.
ErrorCode SaveTextFile(const char* path)
{
    const double started = Now();
    const KanjiCode kanji = EffectiveKanjiCode(static_cast<KanjiCode>(AppState.kanjiSetting),
                                               static_cast<KanjiCode>(AppState.detectedKanji));
    const LineBreakCode lineBreak = EffectiveLineBreakCode(static_cast<LineBreakCode>(AppState.lineBreakSetting),
                                                           static_cast<LineBreakCode>(AppState.detectedLineBreak));
    double paneSeconds = 0;
    double paneStarted = Now();
    LRESULT length = SendMessageA(AppState.hwndEdit, WM_GETTEXTLENGTH, 0, 0);
    paneSeconds += Now() - paneStarted;
    std::uint32_t textSize = 0, outputSize = 0;
    if (length < 0 || !SaveBufferSizes(static_cast<std::uint64_t>(length), 0, &textSize, &outputSize))
        return EC_NO_MEMORY;
    GlobalBuffer text(textSize);
    if (!text)
        return EC_NO_MEMORY;
    paneStarted = Now();
    LRESULT count = SendMessageA(AppState.hwndEdit, WM_GETTEXT, textSize, reinterpret_cast<LPARAM>(text.get()));
    paneSeconds += Now() - paneStarted;
    if (count < 0 || static_cast<std::uint32_t>(count) >= textSize)
        count = 0;
    text.get()[count] = 0;
    // A lone CR written as LF CR needs room beyond the usual slack.
    std::size_t growth = LineBreakGrowthOnSave(text.get(), static_cast<std::size_t>(count), lineBreak);
    if (growth > 0) {
        if (!SaveBufferSizes(static_cast<std::uint64_t>(count), growth, &textSize, &outputSize) || !text.Grow(textSize))
            return EC_NO_MEMORY;
    }
    GlobalBuffer output(outputSize);
    if (!output)
        return EC_NO_MEMORY;

    ConversionProgress progress;
    InitConversionProgress(&progress);
    SavedText saved = ConvertTextOnSave(text.get(), textSize, output.get(), outputSize, kanji, lineBreak,
                                        &progress.observer);

    const double diskStarted = Now();
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
    BOOL replaced;
    if (attributes == INVALID_FILE_ATTRIBUTES)
        replaced = MoveFileExA(temporary, path, MOVEFILE_WRITE_THROUGH);
    else if ((attributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_READONLY)) || !CanReplace(path))
        replaced = FALSE;
    else
        replaced = ReplaceFileA(path, temporary, NULL, REPLACEFILE_WRITE_THROUGH, NULL, NULL);
    if (!replaced) {
        DeleteFileA(temporary);
        return EC_OPEN_FAILED;
    }
    FinishStatistics(progress, started, paneSeconds, Now() - diskStarted);
    return EC_SUCCESS;
}
