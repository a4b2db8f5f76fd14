// vexa-convert: converts a text file exactly as the editor loads and saves it.
#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <memory>
#include <new>
#include <string>
#include <vector>
#include <algorithm>

#include "app/error_text.h"
#include "codec/convert.h"
#include "codec/piecewise.h"
#include "codec/pipeline.h"
#include "convert/helper_thread.h"

#ifdef _WIN32
#include <fcntl.h>
#include <io.h>
#include <sys/stat.h>
#include <windows.h>
#else
#include <sys/stat.h>
#include <fcntl.h>
#include <unistd.h>
#endif

namespace {

const char kUsage[] =
    "usage: vexa-convert [--from=auto|sjis|euc|jis|utf8|utf16|utf16be]\n"
    "                    [--kanji=auto|sjis|euc|jis|utf8|utf16|utf16be] [--linebreak=auto|crlf|lf|cr|lfcr]\n"
    "                    INPUT OUTPUT\n"
    "\n"
    "Reads INPUT as VEXA Edit ! opens a file: its kanji code (Shift-JIS, EUC,\n"
    "7-bit JIS, UTF-8, or UTF-16 behind its byte-order mark) and line-break code\n"
    "(CR LF, CR, LF or LF CR) are detected and the text becomes Shift-JIS with\n"
    "CR LF. Then writes OUTPUT as the editor saves, in the codes given; auto (the\n"
    "default) keeps the codes detected in INPUT, and a UTF-8 byte-order mark read\n"
    "is written again. UTF-16 (little-endian) and utf16be are written behind a\n"
    "byte-order mark. --from reads INPUT in the kanji code given instead of the\n"
    "one detected, as the editor's reopen does (its byte-order mark is still\n"
    "skipped; utf16 without one is little-endian).\n"
    "\n"
    "INPUT - reads standard input. Prints the detected codes as one line,\n"
    "kanji=... linebreak=..., on standard output, or on standard error when\n"
    "OUTPUT is - and the bytes go to standard output. OUTPUT is replaced only\n"
    "once it is completely written and on disk, and keeps its permissions; a\n"
    "read-only OUTPUT is refused.\n"
    "Exit status: 0 on success, 2 a file could not be opened or created,\n"
    "3 out of memory or a file too large, 4 a read or write fell short,\n"
    "5 OUTPUT was written, but characters that Shift-JIS or UTF-8 cannot hold\n"
    "became U+3013 (Shift-JIS 81 AC), as standard error says, 6 OUTPUT was\n"
    "written, but INPUT held a zero byte, where its text ended: standard error\n"
    "says how many bytes were left out, 64 usage.\n";

constexpr int kReplacedStatus = 5;
constexpr int kLeftOutStatus = 6;

struct Options {
    std::size_t piece = 64 * 1024;  // bytes read at a time (--piece-size, for tests): a piece and its
                                    // converted forms stay in the second-level cache
    KanjiCode kanji = KanjiCode::Auto;
    KanjiCode from = KanjiCode::Auto;  // --from: read as this code instead of detecting
    LineBreakCode lineBreak = LineBreakCode::Auto;
    const char* input = nullptr;
    const char* output = nullptr;
};

bool ParseKanji(const char* v, KanjiCode* out)
{
    static const struct { const char* name; KanjiCode code; } names[] = {
        {"auto", KanjiCode::Auto}, {"sjis", KanjiCode::ShiftJIS}, {"euc", KanjiCode::EUC}, {"jis", KanjiCode::JIS},
        {"utf8", KanjiCode::UTF8}, {"utf16", KanjiCode::UTF16}, {"utf16be", KanjiCode::UTF16BE}};
    for (const auto& n : names)
        if (std::strcmp(v, n.name) == 0) {
            *out = n.code;
            return true;
        }
    return false;
}

bool ParseLineBreak(const char* v, LineBreakCode* out)
{
    static const struct { const char* name; LineBreakCode code; } names[] = {
        {"auto", LineBreakCode::Auto}, {"crlf", LineBreakCode::CrLf}, {"lf", LineBreakCode::Lf},
        {"cr", LineBreakCode::Cr}, {"lfcr", LineBreakCode::LfCr}};
    for (const auto& n : names)
        if (std::strcmp(v, n.name) == 0) {
            *out = n.code;
            return true;
        }
    return false;
}

int Fail(const char* file, const char* cause, ErrorCode code)
{
    std::fprintf(stderr, "vexa-convert: %s: %s\n", file, cause);
    return code;
}

// Moves to a byte of a file, from its start.
bool Seek(std::FILE* f, std::int64_t offset)
{
#ifdef _WIN32
    return _fseeki64(f, offset, SEEK_SET) == 0;
#else
    return fseeko(f, offset, SEEK_SET) == 0;
#endif
}

std::int64_t FileSize(std::FILE* f)
{
#ifdef _WIN32
    if (_fseeki64(f, 0, SEEK_END) != 0)
        return -1;
    const std::int64_t size = _ftelli64(f);
#else
    if (fseeko(f, 0, SEEK_END) != 0)
        return -1;
    const std::int64_t size = ftello(f);
#endif
    return Seek(f, 0) ? size : -1;
}

// The last system error as text: errno's, or on Windows the error of the
// last Windows call, which does not set errno.
std::string SystemErrorText(int err)
{
#ifdef _WIN32
    DWORD code = GetLastError();
    if (code != 0) {
        char text[512];
        DWORD n = FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, NULL, code, 0, text,
                                 sizeof text, NULL);
        while (n > 0 && (text[n - 1] == '\r' || text[n - 1] == '\n' || text[n - 1] == ' '))
            --n;
        if (n > 0)
            return std::string(text, n);
    }
#endif
    return std::strerror(err);
}

// What a path names, as far as the converter cares.
enum class PathKind { Missing, File, Folder, Pipe, Other };

PathKind KindOf(const char* path, struct stat* st)
{
    if (stat(path, st) != 0)
        return PathKind::Missing;
    if (S_ISDIR(st->st_mode))
        return PathKind::Folder;
    if (S_ISREG(st->st_mode))
        return PathKind::File;
#ifdef S_ISFIFO
    if (S_ISFIFO(st->st_mode))
        return PathKind::Pipe;
#endif
    return PathKind::Other;
}

// The folder part of a path, with its separator ("" for a bare name).
std::string FolderOf(const std::string& path)
{
    std::size_t slash = path.find_last_of("/\\");
    return slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
}

// Creates a new file beside `target` for writing; its name goes to *name.
// The name is short (".vx" and five letters), so that it fits wherever
// the target's own name does.
std::FILE* CreateTemporaryBeside(const std::string& target, std::string* name)
{
    const std::string folder = FolderOf(target);
    unsigned seed = static_cast<unsigned>(reinterpret_cast<std::uintptr_t>(name)) ^
                    static_cast<unsigned>(std::time(nullptr));
    for (unsigned n = 0; n < 1000; ++n) {
        char leaf[16];
        std::snprintf(leaf, sizeof leaf, ".vx%05x", (seed + n * 7919u) & 0xFFFFFu);
        *name = folder + leaf;
#ifdef _WIN32
        // A file created under a longer name could not be deleted again
        // through the ANSI functions.
        if (name->size() >= MAX_PATH) {
            SetLastError(ERROR_FILENAME_EXCED_RANGE);
            errno = ENAMETOOLONG;
            return nullptr;
        }
        int fd = _open(name->c_str(), _O_WRONLY | _O_CREAT | _O_EXCL | _O_BINARY, 0666);
        if (fd >= 0)
            return _fdopen(fd, "wb");
#else
        int fd = open(name->c_str(), O_WRONLY | O_CREAT | O_EXCL, 0666);
        if (fd >= 0)
            return fdopen(fd, "wb");
#endif
        if (errno != EEXIST)
            return nullptr;
    }
    return nullptr;
}

// Flushes a file's bytes through to the disk before it replaces another.
bool FlushToDisk(std::FILE* f)
{
    if (std::fflush(f) != 0)
        return false;
#ifdef _WIN32
    return _commit(_fileno(f)) == 0;
#else
    return fsync(fileno(f)) == 0;
#endif
}

// Deletes the temporary file on a way out that fails.
void RemoveFile(const std::string& name)
{
#ifdef _WIN32
    if (!DeleteFileA(name.c_str()))
        _unlink(name.c_str());
#else
    std::remove(name.c_str());
#endif
}

bool ReplaceWith(const std::string& temporary, const char* target)
{
#ifdef _WIN32
    SetLastError(0);
    return MoveFileExA(temporary.c_str(), target, MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) != 0;
#else
    return std::rename(temporary.c_str(), target) == 0;
#endif
}

std::size_t ReadFrom(void* file, char* buffer, std::size_t size, bool* failed)
{
    std::size_t n = std::fread(buffer, 1, size, static_cast<std::FILE*>(file));
    *failed = n < size && std::ferror(static_cast<std::FILE*>(file));
    return n;
}

// The first bytes of a file, up to a count.
struct Head {
    std::FILE* file;
    std::uint64_t left;
};

std::size_t ReadHead(void* head, char* buffer, std::size_t size, bool* failed)
{
    Head* p = static_cast<Head*>(head);
    const std::size_t n = ReadFrom(p->file, buffer, p->left < size ? static_cast<std::size_t>(p->left) : size, failed);
    p->left -= n;
    return n;
}

bool WriteTo(void* file, const char* data, std::size_t size)
{
    return std::fwrite(data, 1, size, static_cast<std::FILE*>(file)) == size;
}

int Run(const Options& opt)
{
    const bool fromStdin = std::strcmp(opt.input, "-") == 0;
    const bool toStdout = std::strcmp(opt.output, "-") == 0;
    struct stat inputStat = {}, outputStat = {};
    HelperThread helper;
    std::FILE* in = stdin;
    std::int64_t size = -1;
    bool utf8 = false;
    KanjiCode legacyCode = KanjiCode::Auto;  // a file's code when it is not UTF-8
    if (fromStdin) {
#ifdef _WIN32
        _setmode(_fileno(stdin), _O_BINARY);
#endif
    } else {
        switch (KindOf(opt.input, &inputStat)) {
        case PathKind::Folder: return Fail(opt.input, "is a folder, not a file", EC_OPEN_FAILED);
        case PathKind::Pipe: return Fail(opt.input, "is a pipe, not a file (give - to read standard input)", EC_OPEN_FAILED);
        case PathKind::Other: return Fail(opt.input, "is not a regular file", EC_OPEN_FAILED);
        default: break;
        }
        in = std::fopen(opt.input, "rb");
        if (!in)
            return Fail(opt.input, std::strerror(errno), EC_OPEN_FAILED);
        // Sizes are checked before anything is read, as the editor does.
        size = FileSize(in);
        std::uint32_t rawSize = 0, convertedSize = 0;
        if (size < 0 || !LoadBufferSizes(static_cast<std::uint64_t>(size), &rawSize, &convertedSize)) {
            std::fclose(in);
            return Fail(opt.input, "file too large", EC_NO_MEMORY);
        }
        // A file is read twice when it may be UTF-8: to its first fault or
        // its end, and then to convert it a piece at a time. (Standard input
        // is held instead, until its last byte shows the code.) A file of
        // many pieces is scouted in two halves at once, the second through
        // a second handle on the helper thread.
        PiecewiseConverter scout(opt.kanji, opt.lineBreak, opt.piece);
        scout.UseHelper(helper.Helper());
        const std::int64_t half = size / 2;
        std::FILE* tail = nullptr;
        if (half >= static_cast<std::int64_t>(PiecewiseConverter::kStartLength) &&
            static_cast<std::uint64_t>(size) >= 16 * static_cast<std::uint64_t>(opt.piece)) {
            tail = std::fopen(opt.input, "rb");
            if (tail && !Seek(tail, half)) {
                std::fclose(tail);
                tail = nullptr;
            }
        }
        if (tail) {
            Head head{in, static_cast<std::uint64_t>(half)};
            utf8 = scout.ScoutUtf8({ReadHead, &head}, {ReadFrom, tail});
            std::fclose(tail);
        } else {
            utf8 = scout.ScoutUtf8({ReadFrom, in});
        }
        // Not UTF-8: JIS, EUC or Shift-JIS by the whole text, read once
        // more (twice where Shift-JIS must be read throughout).
        bool seeked = Seek(in, 0);
        if (seeked && !utf8 && opt.from == KanjiCode::Auto) {
            PiecewiseConverter legacy(opt.kanji, opt.lineBreak, opt.piece);
            if (!legacy.ScoutLegacy({ReadFrom, in}, &legacyCode)) {
                PiecewiseConverter shiftJis(opt.kanji, opt.lineBreak, opt.piece);
                seeked = Seek(in, 0);
                legacyCode = legacy.ResolveLegacy(seeked && shiftJis.ScoutShiftJis({ReadFrom, in}));
            }
            seeked = seeked && Seek(in, 0);
        }
        if (!seeked) {
            std::string why = SystemErrorText(errno);
            std::fclose(in);
            return Fail(opt.input, why.c_str(), EC_IO_COUNT);
        }
    }

    std::string temporary;
    std::FILE* out = stdout;
    bool keepMode = false;
    if (toStdout) {
#ifdef _WIN32
        _setmode(_fileno(stdout), _O_BINARY);
#endif
    } else {
#ifdef _WIN32
        if (std::strlen(opt.output) >= MAX_PATH) {
            if (in != stdin)
                std::fclose(in);
            SetLastError(ERROR_FILENAME_EXCED_RANGE);
            return Fail(opt.output, SystemErrorText(ENAMETOOLONG).c_str(), EC_OPEN_FAILED);
        }
#endif
        // As the editor: a folder or a read-only file is never replaced.
        PathKind kind = KindOf(opt.output, &outputStat);
        const char* refusal = kind == PathKind::Folder ? "is a folder"
                              : kind == PathKind::File && !(outputStat.st_mode & 0222) ? "is read-only"
                              : kind == PathKind::Pipe || kind == PathKind::Other ? "is not a regular file"
                                                                                  : nullptr;
        if (refusal) {
            if (in != stdin)
                std::fclose(in);
            return Fail(opt.output, refusal, EC_OPEN_FAILED);
        }
        keepMode = kind == PathKind::File;
        out = CreateTemporaryBeside(opt.output, &temporary);
        if (!out) {
            std::string why = SystemErrorText(errno);
            if (in != stdin)
                std::fclose(in);
            return Fail(opt.output, why.c_str(), EC_OPEN_FAILED);
        }
    }
    PiecewiseConverter converter(opt.kanji, opt.lineBreak, opt.piece);
    converter.UseHelper(helper.Helper());
    const PiecewiseConverter::Input input{ReadFrom, in};
    if (!fromStdin)
        converter.KnowUtf8(utf8);
    converter.ReadAs(opt.from);
    converter.KnowLegacy(legacyCode);
    const PiecewiseConverter::Output output{WriteTo, out};
    int result = EC_SUCCESS;
    switch (converter.Run(input, output)) {
    case PiecewiseConverter::Done: break;
    case PiecewiseConverter::ReadFailed: result = Fail(opt.input, "read failed", EC_IO_COUNT); break;
    case PiecewiseConverter::WriteFailed: result = Fail(opt.output, "write failed", EC_IO_COUNT); break;
    case PiecewiseConverter::TooLarge: result = Fail(opt.input, "file too large", EC_NO_MEMORY); break;
    }
    // A file that changed size while it was read was not converted whole.
    if (result == EC_SUCCESS && size >= 0 && converter.bytesRead() != static_cast<std::uint64_t>(size))
        result = Fail(opt.input, "the file changed size while it was read", EC_IO_COUNT);
    if (in != stdin)
        std::fclose(in);
    if (toStdout) {
        if (result == EC_SUCCESS && std::fflush(stdout) != 0)
            result = Fail("-", "write failed", EC_IO_COUNT);
    } else {
        bool written = result == EC_SUCCESS && FlushToDisk(out);
#ifndef _WIN32
        // The replaced file keeps its permissions.
        if (written && keepMode)
            written = fchmod(fileno(out), outputStat.st_mode & 07777) == 0;
#else
        (void)keepMode;
#endif
        written = (std::fclose(out) == 0) && written;
        if (result == EC_SUCCESS && !written)
            result = Fail(opt.output, "write failed", EC_IO_COUNT);
        if (result != EC_SUCCESS) {
            RemoveFile(temporary);
            return result;
        }
        if (!ReplaceWith(temporary, opt.output)) {
            std::string why = SystemErrorText(errno);
            RemoveFile(temporary);
            return Fail(opt.output, why.c_str(), EC_OPEN_FAILED);
        }
    }
    if (result != EC_SUCCESS)
        return result;
    std::fprintf(toStdout ? stderr : stdout, "kanji=%s linebreak=%s\n", KanjiCodeName(converter.kanji()),
                 LineBreakCodeName(converter.lineBreak()));
    // Nothing is lost without a word: the count, and a status of its own.
    int status = EC_SUCCESS;
    if (converter.replaced() > 0) {
        std::fprintf(stderr, "vexa-convert: %s: %llu character(s) had no place in the output code and became U+3013\n", opt.input,
                     static_cast<unsigned long long>(converter.replaced()));
        status = kReplacedStatus;
    }
    if (converter.leftOut() > 0) {
        std::fprintf(stderr, "vexa-convert: %s: a zero byte ended the text; the %llu byte(s) from it on were left out\n",
                     opt.input, static_cast<unsigned long long>(converter.leftOut()));
        status = kLeftOutStatus;
    }
    return status;
}

}  // namespace

int main(int argc, char** argv)
{
    Options opt;
    for (int k = 1; k < argc; ++k) {
        const char* a = argv[k];
        if (std::strcmp(a, "--help") == 0 || std::strcmp(a, "-h") == 0) {
            std::fputs(kUsage, stdout);
            return 0;
        } else if (std::strncmp(a, "--kanji=", 8) == 0) {
            if (!ParseKanji(a + 8, &opt.kanji))
                return std::fprintf(stderr, "vexa-convert: unknown kanji code '%s'\n", a + 8), 64;
        } else if (std::strncmp(a, "--from=", 7) == 0) {
            if (!ParseKanji(a + 7, &opt.from))
                return std::fprintf(stderr, "vexa-convert: unknown kanji code '%s'\n", a + 7), 64;
        } else if (std::strncmp(a, "--linebreak=", 12) == 0) {
            if (!ParseLineBreak(a + 12, &opt.lineBreak))
                return std::fprintf(stderr, "vexa-convert: unknown line break '%s'\n", a + 12), 64;
        } else if (std::strncmp(a, "--piece-size=", 13) == 0) {
            opt.piece = std::strtoul(a + 13, nullptr, 10);
            if (opt.piece == 0)
                return std::fprintf(stderr, "vexa-convert: bad piece size '%s'\n", a + 13), 64;
        } else if (!opt.input && (a[0] != '-' || a[1] == 0)) {
            opt.input = a;
        } else if (!opt.output && (a[0] != '-' || a[1] == 0)) {
            opt.output = a;
        } else {
            std::fputs(kUsage, stderr);
            return 64;
        }
    }
    if (!opt.input || !opt.output) {
        std::fputs(kUsage, stderr);
        return 64;
    }
    try {
        return Run(opt);
    } catch (const std::bad_alloc&) {
        return Fail(opt.input, "out of memory", EC_NO_MEMORY);
    }
}
