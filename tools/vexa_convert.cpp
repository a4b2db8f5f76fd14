// vexa-convert: converts a text file exactly as the editor loads and saves it.
#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <memory>
#include <new>
#include <string>

#include "app/error_text.h"
#include "codec/convert.h"
#include "codec/pipeline.h"

#ifdef _WIN32
#include <fcntl.h>
#include <io.h>
#include <windows.h>
#else
#include <fcntl.h>
#include <sys/mman.h>
#include <unistd.h>
#endif

namespace {

const char kUsage[] =
    "usage: vexa-convert [--kanji=auto|sjis|euc|jis] [--linebreak=auto|crlf|lf|cr|lfcr] INPUT OUTPUT\n"
    "\n"
    "Reads INPUT as VEXA Edit ! opens a file: its kanji code (Shift-JIS, EUC or\n"
    "7-bit JIS) and line-break code (CR LF, CR, LF or LF CR) are detected and the\n"
    "text becomes Shift-JIS with CR LF. Then writes OUTPUT as the editor saves,\n"
    "in the codes given; auto (the default) keeps the codes detected in INPUT.\n"
    "\n"
    "Prints the detected codes as one line, kanji=... linebreak=..., on standard\n"
    "output, or on standard error when OUTPUT is - and the bytes go to standard\n"
    "output. OUTPUT is replaced only once it is completely written.\n"
    "Exit status: 0 on success, 2 a file could not be opened or created,\n"
    "3 out of memory or a file too large, 4 a read or write fell short, 64 usage.\n";

struct Options {
    KanjiCode kanji = KanjiCode::Auto;
    LineBreakCode lineBreak = LineBreakCode::Auto;
    const char* input = nullptr;
    const char* output = nullptr;
};

bool ParseKanji(const char* v, KanjiCode* out)
{
    static const struct { const char* name; KanjiCode code; } names[] = {
        {"auto", KanjiCode::Auto}, {"sjis", KanjiCode::ShiftJIS}, {"euc", KanjiCode::EUC}, {"jis", KanjiCode::JIS}};
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

std::int64_t FileSize(std::FILE* f)
{
#ifdef _WIN32
    if (_fseeki64(f, 0, SEEK_END) != 0)
        return -1;
    std::int64_t size = _ftelli64(f);
    _fseeki64(f, 0, SEEK_SET);
#else
    if (fseeko(f, 0, SEEK_END) != 0)
        return -1;
    std::int64_t size = ftello(f);
    fseeko(f, 0, SEEK_SET);
#endif
    return size;
}

// Creates a new file beside `target` for writing; its name goes to *name.
std::FILE* CreateTemporaryBeside(const std::string& target, std::string* name)
{
    for (unsigned n = 0; n < 1000; ++n) {
        *name = target + ".vexa-tmp" + std::to_string(n);
#ifdef _WIN32
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

// An uninitialised buffer; nothing is written into it before the passes.
// On Linux its interior is offered transparent huge pages: touching 50 MB
// of fresh memory in 4 KB pages costs more system time than the whole
// conversion of the file.
class Buffer {
public:
    explicit Buffer(std::size_t size) : data_(new (std::nothrow) char[size])
    {
#ifndef _WIN32
        const std::uintptr_t huge = 2u << 20;
        std::uintptr_t begin = reinterpret_cast<std::uintptr_t>(data_.get());
        std::uintptr_t first = (begin + huge - 1) & ~(huge - 1);
        std::uintptr_t last = (begin + size) & ~(huge - 1);
        if (data_ && last > first)
            madvise(reinterpret_cast<void*>(first), last - first, MADV_HUGEPAGE);
#endif
    }
    char* get() const { return data_.get(); }
    explicit operator bool() const { return data_ != nullptr; }

private:
    std::unique_ptr<char[]> data_;
};

// The input's bytes. On Linux the file is mapped rather than copied into
// fresh memory: the passes need no terminator after the data, and a copy
// costs a page fault for every 4 KB, more than the conversion itself.
class InputBytes {
public:
    ~InputBytes()
    {
#ifndef _WIN32
        if (mapped_)
            munmap(mapped_, mappedSize_);
#endif
    }
    // Reads or maps `size` bytes of `in` (a copy takes `bufferSize` bytes);
    // false when fewer were there.
    bool Load(std::FILE* in, std::size_t size, std::size_t bufferSize)
    {
#ifndef _WIN32
        if (size > 0) {
            void* p = mmap(nullptr, size, PROT_READ, MAP_PRIVATE, fileno(in), 0);
            if (p != MAP_FAILED) {
                mapped_ = p;
                mappedSize_ = size;
                data_ = static_cast<const char*>(p);
                madvise(p, size, MADV_SEQUENTIAL);
                // A file cut short since its size was taken must not be read.
                return FileSize(in) == static_cast<std::int64_t>(size);
            }
        }
#endif
        copy_.reset(new (std::nothrow) char[bufferSize]);
        if (!copy_)
            throw std::bad_alloc();
        // One byte more than the size is asked for, so a file that grew is noticed.
        std::size_t got = std::fread(copy_.get(), 1, size + 1, in);
        copy_[size] = 0;
        data_ = copy_.get();
        return got == size;
    }
    const char* data() const { return data_; }

private:
    const char* data_ = nullptr;
    std::unique_ptr<char[]> copy_;
    void* mapped_ = nullptr;
    std::size_t mappedSize_ = 0;
};

bool ReplaceWith(const std::string& temporary, const char* target)
{
#ifdef _WIN32
    return MoveFileExA(temporary.c_str(), target, MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) != 0;
#else
    return std::rename(temporary.c_str(), target) == 0;
#endif
}

int Run(const Options& opt)
{
    std::FILE* in = std::fopen(opt.input, "rb");
    if (!in)
        return Fail(opt.input, std::strerror(errno), EC_OPEN_FAILED);
    std::int64_t size = FileSize(in);
    std::uint32_t rawSize = 0, convertedSize = 0;
    if (size < 0 || !LoadBufferSizes(static_cast<std::uint64_t>(size), &rawSize, &convertedSize)) {
        std::fclose(in);
        return Fail(opt.input, "file too large", EC_NO_MEMORY);
    }
    std::unique_ptr<Buffer> converted(new Buffer(convertedSize));
    std::unique_ptr<InputBytes> raw(new InputBytes);
    if (!*converted) {
        std::fclose(in);
        return Fail(opt.input, "out of memory", EC_NO_MEMORY);
    }
    bool whole = raw->Load(in, static_cast<std::size_t>(size), rawSize);
    std::fclose(in);
    if (!whole)
        return Fail(opt.input, "the file changed size while it was read", EC_IO_COUNT);

    LoadResult loaded = ConvertFileOnLoad(raw->data(), static_cast<std::size_t>(size), converted->get(),
                                          convertedSize, nullptr);
    raw.reset();

    LineBreakCode lineBreak = EffectiveLineBreakCode(opt.lineBreak, loaded.lineBreak);
    KanjiCode kanji = EffectiveKanjiCode(opt.kanji, loaded.kanji);
    std::size_t growth = LineBreakGrowthOnSave(converted->get(), loaded.length, lineBreak);
    std::uint32_t textSize = 0, outputSize = 0;
    if (!SaveBufferSizes(loaded.length, growth, &textSize, &outputSize))
        return Fail(opt.input, "text too large", EC_NO_MEMORY);
    if (textSize > convertedSize) {
        std::unique_ptr<Buffer> larger(new Buffer(textSize));
        if (!*larger)
            return Fail(opt.input, "out of memory", EC_NO_MEMORY);
        std::memcpy(larger->get(), converted->get(), loaded.length + 1);
        converted = std::move(larger);
    } else {
        textSize = convertedSize;
    }
    // Shift-JIS output is the converted text itself and needs no buffer.
    std::unique_ptr<Buffer> output;
    if (kanji == KanjiCode::JIS || kanji == KanjiCode::EUC) {
        output.reset(new Buffer(outputSize));
        if (!*output)
            return Fail(opt.input, "out of memory", EC_NO_MEMORY);
    } else {
        outputSize = 0;
    }
    SavedText saved = ConvertTextOnSave(converted->get(), loaded.length, textSize, output ? output->get() : nullptr,
                                        outputSize, kanji, lineBreak, nullptr);
    const std::size_t length = saved.length;

    bool toStdout = std::strcmp(opt.output, "-") == 0;
    std::fprintf(toStdout ? stderr : stdout, "kanji=%s linebreak=%s\n", KanjiCodeName(loaded.kanji),
                 LineBreakCodeName(loaded.lineBreak));
    if (toStdout) {
#ifdef _WIN32
        _setmode(_fileno(stdout), _O_BINARY);
#endif
        if (std::fwrite(saved.data, 1, length, stdout) != length || std::fflush(stdout) != 0)
            return Fail("-", "write failed", EC_IO_COUNT);
        return EC_SUCCESS;
    }

    std::string temporary;
    std::FILE* out = CreateTemporaryBeside(opt.output, &temporary);
    if (!out)
        return Fail(opt.output, std::strerror(errno), EC_OPEN_FAILED);
    bool written = std::fwrite(saved.data, 1, length, out) == length;
    written = (std::fflush(out) == 0) && written;
    written = (std::fclose(out) == 0) && written;
    if (!written) {
        std::remove(temporary.c_str());
        return Fail(opt.output, "write failed", EC_IO_COUNT);
    }
    if (!ReplaceWith(temporary, opt.output)) {
        int err = errno;
        std::remove(temporary.c_str());
        return Fail(opt.output, std::strerror(err), EC_OPEN_FAILED);
    }
    return EC_SUCCESS;
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
        } else if (std::strncmp(a, "--linebreak=", 12) == 0) {
            if (!ParseLineBreak(a + 12, &opt.lineBreak))
                return std::fprintf(stderr, "vexa-convert: unknown line break '%s'\n", a + 12), 64;
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
