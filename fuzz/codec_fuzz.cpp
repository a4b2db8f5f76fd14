// libFuzzer target for every conversion pass. Each buffer is allocated with
// exactly the size the editor's flows give it, so AddressSanitizer reports
// any read or write past it.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <memory>

#include "codec/convert.h"
#include "codec/pipeline.h"

namespace {

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
    const KanjiCode kanji = static_cast<KanjiCode>(1 + selector % 3);
    const LineBreakCode lineBreak = static_cast<LineBreakCode>(1 + (selector / 3) % 4);

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
    if (saved.length >= outputSize || std::memchr(saved.data, 0, saved.length) != nullptr)
        __builtin_trap();

    // Save passes with buffers of exactly the text's own size.
    std::unique_ptr<char[]> tight(new char[textLength + 1]);
    std::memcpy(tight.get(), data, textLength);
    tight[textLength] = 0;
    std::size_t tightLength = ConvertLineBreaksOnSave(tight.get(), textLength, textLength + 1, lineBreak, &kSink);
    std::size_t small = 1 + selector % 16;
    std::unique_ptr<char[]> shortOutput(new char[small]);
    ConvertKanjiOnSave(tight.get(), tightLength, shortOutput.get(), small, kanji, &kSink);
    return 0;
}
