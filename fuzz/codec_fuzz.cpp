// libFuzzer target for every conversion pass and for the entry points the
// editor and the converter use. Each buffer is allocated with exactly the
// size the editor's flows give it, so AddressSanitizer reports any read or
// write past it; and every result is compared with the plain reference
// passes of the native tests, so that a wrong byte, code or meter advance
// is a finding too.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "codec/convert.h"
#include "codec/piecewise.h"
#include "codec/pipeline.h"
#include "tests/native/memory_io.h"
#include "tests/native/reference_codec.h"

namespace {

void Check(bool ok)
{
    if (!ok)
        __builtin_trap();
}

// The advances of each pass, as an observer sees them.
struct Recorder {
    std::vector<std::vector<int>> passes;
    static void Begin(void* c) { static_cast<Recorder*>(c)->passes.emplace_back(); }
    static void Advance(void* c, int percent, std::uint32_t times)
    {
        auto& pass = static_cast<Recorder*>(c)->passes.back();
        pass.insert(pass.end(), times, percent);
    }
    PassObserver Observer() { return PassObserver{&Begin, nullptr, {&Advance, this}}; }
};

// A helper that runs its job only when it is waited for, after the caller
// has gone on: a job that read anything the caller changes meanwhile would
// see the change.
struct Deferred {
    void (*job)(void*) = nullptr;
    void* argument = nullptr;
    static void Start(void* c, void (*job)(void*), void* argument)
    {
        auto* d = static_cast<Deferred*>(c);
        Check(d->job == nullptr);
        d->job = job;
        d->argument = argument;
    }
    static void Wait(void* c)
    {
        auto* d = static_cast<Deferred*>(c);
        Check(d->job != nullptr);
        void (*job)(void*) = d->job;
        d->job = nullptr;
        job(d->argument);
    }
};

// The editor's load of a file and the converter's load-then-save, against
// the reference passes.
void CheckAgainstReference(const std::string& file, KanjiCode kanjiSetting, LineBreakCode lineBreakSetting,
                           std::size_t piece)
{
    // UTF-16 by its mark first, turned into Shift-JIS before anything else.
    const unsigned char b0 = file.size() >= 2 ? static_cast<unsigned char>(file[0]) : 0;
    const unsigned char b1 = file.size() >= 2 ? static_cast<unsigned char>(file[1]) : 0;
    const bool utf16 = (b0 == 0xFF && b1 == 0xFE) || (b0 == 0xFE && b1 == 0xFF);
    std::uint64_t leftOut = 0, replacedOnLoad = 0;
    std::string text = file;
    if (utf16) {
        const reference::Result u = reference::Utf16OnLoad(file, b0 == 0xFE, &leftOut);
        text = u.text;
        replacedOnLoad = static_cast<std::uint64_t>(u.code);
    } else {
        // The text ends at the first zero past a MacBinary header.
        const std::size_t start = file.size() >= 128 && file[0] == 0 && file[74] == 0 ? 128 : 0;
        const std::size_t zero = file.find('\0', start);
        leftOut = zero == std::string::npos ? 0 : file.size() - zero;
    }
    const reference::Result r1 = reference::LineBreaksOnLoad(text);
    const KanjiCode detected = utf16 ? (b0 == 0xFE ? KanjiCode::UTF16BE : KanjiCode::UTF16)
                                     : DetectKanjiCode(r1.text.data(), r1.text.size());
    Check(utf16 || (detected == KanjiCode::UTF8) == reference::IsUtf8(r1.text));
    const reference::Result r2 = reference::KanjiOnLoad(r1.text, utf16 ? KanjiCode::ShiftJIS : detected);

    std::uint32_t rawSize, convertedSize;
    if (!LoadBufferSizes(file.size(), &rawSize, &convertedSize))
        return;
    std::unique_ptr<char[]> raw(new char[rawSize]);
    std::memcpy(raw.get(), file.data(), file.size());
    raw[file.size()] = 0;
    std::unique_ptr<char[]> converted(new char[convertedSize]);
    Recorder load;
    const PassObserver loadObserver = load.Observer();
    LoadResult loaded = ConvertFileOnLoad(raw.get(), file.size(), converted.get(), convertedSize, &loadObserver);
    Check(std::string(converted.get(), loaded.length) == r2.text);
    Check(static_cast<int>(loaded.lineBreak) == r1.code && loaded.kanji == detected);
    Check(load.passes.size() == 2 && load.passes[0] == r1.advances && load.passes[1] == r2.advances);
    const bool mark = detected == KanjiCode::UTF8 && r1.text.compare(0, 3, "\xEF\xBB\xBF") == 0;
    if (!utf16)
        replacedOnLoad = r2.replaced;
    Check(loaded.byteOrderMark == mark && loaded.replaced == replacedOnLoad && loaded.leftOut == leftOut);

    // The save of that text with the effective codes, with and without a meter.
    const KanjiCode kanji = EffectiveKanjiCode(kanjiSetting, loaded.kanji);
    const LineBreakCode lineBreak = EffectiveLineBreakCode(lineBreakSetting, loaded.lineBreak);
    const reference::Result s1 = reference::LineBreaksOnSave(r2.text, lineBreak);
    const bool markOnSave = WritesByteOrderMark(kanji, mark);
    const reference::Result s2 = reference::KanjiOnSave(s1.text, kanji, markOnSave);
    const std::uint64_t replacedOnSave = static_cast<std::uint64_t>(s2.code);
    // The count the editor asks about before a save is the one the save makes.
    std::size_t firstWithoutPlace;
    Check(CountWithoutPlace(r2.text.data(), r2.text.size(), kanji, &firstWithoutPlace) == replacedOnSave);
    Check((firstWithoutPlace < r2.text.size()) == (replacedOnSave > 0));
    for (int withMeter = 0; withMeter < 2; ++withMeter) {
        std::size_t growth = LineBreakGrowthOnSave(r2.text.data(), r2.text.size(), lineBreak);
        std::uint32_t textSize, outputSize;
        if (!SaveBufferSizes(r2.text.size(), growth, &textSize, &outputSize))
            return;
        std::unique_ptr<char[]> text(new char[textSize]);
        std::memcpy(text.get(), r2.text.data(), r2.text.size());
        text[r2.text.size()] = 0;
        std::unique_ptr<char[]> output(new char[outputSize]);
        Recorder save;
        const PassObserver saveObserver = save.Observer();
        SavedText saved = ConvertTextOnSave(text.get(), r2.text.size(), textSize, output.get(), outputSize, kanji,
                                            lineBreak, withMeter ? &saveObserver : nullptr, markOnSave);
        Check(std::string(saved.data, saved.length) == s2.text);
        Check(saved.replaced == replacedOnSave);
        if (withMeter)
            Check(save.passes.size() == 2 && save.passes[0] == s1.advances && save.passes[1] == s2.advances);
    }

    // The converter: the same bytes and codes, piece by piece.
    Memory input{file.data(), file.size()};
    std::string written;
    PiecewiseConverter converter(kanjiSetting, lineBreakSetting, piece);
    Check(converter.Run({&Memory::Read, &input}, {&Memory::Write, &written}) == PiecewiseConverter::Done);
    Check(written == s2.text);
    Check(converter.kanji() == loaded.kanji && converter.lineBreak() == loaded.lineBreak);
    Check(converter.bytesRead() == file.size());
    Check(converter.replaced() == replacedOnLoad + replacedOnSave);
    Check(converter.leftOut() == leftOut);

    // A file: asked first whether it is UTF-8, then converted from the start.
    Memory first{file.data(), file.size()}, again{file.data(), file.size()};
    PiecewiseConverter scout(kanjiSetting, lineBreakSetting, piece);
    const bool utf8 = scout.ScoutUtf8({&Memory::Read, &first});
    Check(utf8 == (loaded.kanji == KanjiCode::UTF8));
    // Not UTF-8: the code of the whole text, scouted without holding it.
    KanjiCode legacyCode = KanjiCode::Auto;
    if (!utf8) {
        Memory legacyInput{file.data(), file.size()}, shiftJisInput{file.data(), file.size()};
        PiecewiseConverter legacy(kanjiSetting, lineBreakSetting, piece), shiftJis(kanjiSetting, lineBreakSetting, piece);
        if (!legacy.ScoutLegacy({&Memory::Read, &legacyInput}, &legacyCode))
            legacyCode = legacy.ResolveLegacy(shiftJis.ScoutShiftJis({&Memory::Read, &shiftJisInput}));
        Check(legacyCode == (IsUtf16(loaded.kanji) ? KanjiCode::Auto : loaded.kanji));
    }
    std::string streamed;
    PiecewiseConverter told(kanjiSetting, lineBreakSetting, piece);
    told.KnowUtf8(utf8);
    told.KnowLegacy(legacyCode);
    Check(told.Run({&Memory::Read, &again}, {&Memory::Write, &streamed}) == PiecewiseConverter::Done);
    Check(streamed == s2.text && told.kanji() == loaded.kanji && told.replaced() == converter.replaced());

    // With a helper (here one that runs each job when it is waited for):
    // the file scouted in two parts, cut anywhere after its start, and
    // every other piece converted on the helper.
    Deferred deferred;
    const PiecewiseConverter::Helper helper{&Deferred::Start, &Deferred::Wait, &deferred};
    if (file.size() > PiecewiseConverter::kStartLength) {
        const std::size_t cut = PiecewiseConverter::kStartLength + piece * 7919 % (file.size() - PiecewiseConverter::kStartLength);
        Memory head{file.data(), cut}, tail{file.data() + cut, file.size() - cut};
        PiecewiseConverter split(kanjiSetting, lineBreakSetting, piece);
        split.UseHelper(helper);
        Check(split.ScoutUtf8({&Memory::Read, &head}, {&Memory::Read, &tail}) == utf8);
    }
    Memory third{file.data(), file.size()};
    std::string helped;
    PiecewiseConverter both(kanjiSetting, lineBreakSetting, piece);
    both.UseHelper(helper);
    both.KnowUtf8(utf8);
    both.KnowLegacy(legacyCode);
    Check(both.Run({&Memory::Read, &third}, {&Memory::Write, &helped}) == PiecewiseConverter::Done);
    Check(helped == s2.text && both.kanji() == loaded.kanji && both.lineBreak() == loaded.lineBreak &&
          both.replaced() == converter.replaced() && both.leftOut() == leftOut && both.bytesRead() == file.size());
}

void Ignore(void*, int percent, std::uint32_t times)
{
    // The last step of a short text may measure more than 100 (at most 200).
    if (percent < 0 || percent > 200 || times == 0)
        __builtin_trap();
}

const ProgressSink kSink{&Ignore, nullptr};
const PassObserver kSinkObserver{nullptr, nullptr, kSink};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (size < 1)
        return 0;
    const unsigned selector = data[0];
    ++data;
    --size;
    const KanjiCode kanji = static_cast<KanjiCode>(1 + selector % 6);
    const LineBreakCode lineBreak = static_cast<LineBreakCode>(1 + (selector / 4) % 4);

    // Detection and pass 1 straight on the file bytes, with no terminator.
    std::unique_ptr<char[]> exact(new char[size ? size : 1]);
    std::memcpy(exact.get(), data, size);
    DetectKanjiCode(exact.get(), size);

    // The load flow: raw is size + 64 with a zero after the file's bytes.
    std::uint32_t rawSize, convertedSize;
    if (!LoadBufferSizes(size, &rawSize, &convertedSize))
        return 0;
    std::unique_ptr<char[]> raw(new char[rawSize]);
    std::memcpy(raw.get(), data, size);
    raw[size] = 0;
    std::unique_ptr<char[]> converted(new char[convertedSize]);
    ConvertLineBreaksOnLoad(exact.get(), size, converted.get(), convertedSize, &kSink);
    std::size_t length = 0;
    ConvertLineBreaksOnLoad(raw.get(), size, converted.get(), convertedSize, &kSink, &length);
    if (length > 2 * size)
        __builtin_trap();
    ConvertKanjiOnLoad(converted.get(), length, convertedSize, &kSink, &length);
    if (length > 2 * size + 1 || converted[length] != 0)
        __builtin_trap();

    // The save flow on the fuzz bytes as a pane text: text is length + 64
    // (plus the growth of lone CRs), output 5 times that.
    std::size_t textLength = TextLength(reinterpret_cast<const char*>(data), size);
    std::size_t growth = LineBreakGrowthOnSave(reinterpret_cast<const char*>(data), textLength, lineBreak);
    std::uint32_t textSize, outputSize;
    if (!SaveBufferSizes(textLength, growth, &textSize, &outputSize))
        return 0;
    std::unique_ptr<char[]> text(new char[textSize]);
    std::memcpy(text.get(), data, textLength);
    text[textLength] = 0;
    std::unique_ptr<char[]> output(new char[outputSize]);
    SavedText saved = ConvertTextOnSave(text.get(), textLength, textSize, output.get(), outputSize, kanji,
                                        lineBreak, &kSinkObserver);
    // Only UTF-16 output holds zero bytes.
    if (saved.length >= outputSize || (!IsUtf16(kanji) && std::memchr(saved.data, 0, saved.length) != nullptr))
        __builtin_trap();

    // Save passes with buffers of exactly the text's own size.
    std::unique_ptr<char[]> tight(new char[textLength + 1]);
    std::memcpy(tight.get(), data, textLength);
    tight[textLength] = 0;
    std::size_t tightLength = ConvertLineBreaksOnSave(tight.get(), textLength, textLength + 1, lineBreak, &kSink);
    std::size_t small = 1 + selector % 16;
    std::unique_ptr<char[]> shortOutput(new char[small]);
    ConvertKanjiOnSave(tight.get(), tightLength, shortOutput.get(), small, kanji, &kSink);

    // The settings: Auto as often as each code.
    const KanjiCode kanjiSetting = static_cast<KanjiCode>((selector >> 5) % 4 == 0 ? 0 : 1 + selector % 6);
    const LineBreakCode lineBreakSetting = static_cast<LineBreakCode>((selector >> 6) % 2 == 0 ? 0 : 1 + (selector / 4) % 4);
    CheckAgainstReference(std::string(reinterpret_cast<const char*>(data), size), kanjiSetting, lineBreakSetting,
                          1 + selector % 61);
    return 0;
}
