#include "codec/pipeline.h"

#include "codec/convert.h"
#include "codec/utf16.h"

namespace {

constexpr std::uint64_t kLimit32 = 0xFFFFFFFFull;

const ProgressSink* Begin(const PassObserver* observer)
{
    if (!observer)
        return nullptr;
    if (observer->beginPass)
        observer->beginPass(observer->sink.context);
    return observer->sink.advance ? &observer->sink : nullptr;
}

void End(const PassObserver* observer)
{
    if (observer && observer->endPass)
        observer->endPass(observer->sink.context);
}

}  // namespace

bool LoadBufferSizes(std::uint64_t fileSize, std::uint32_t* raw, std::uint32_t* converted)
{
    if (fileSize > kLimit32)
        return false;
    std::uint64_t r = fileSize + 64, c = 2 * fileSize + 128;
    if (r > kLimit32 || c > kLimit32)
        return false;
    *raw = static_cast<std::uint32_t>(r);
    *converted = static_cast<std::uint32_t>(c);
    return true;
}

bool SaveBufferSizes(std::uint64_t length, std::uint64_t growth, std::uint32_t* text,
                     std::uint32_t* output)
{
    if (length > kLimit32 || growth > kLimit32)
        return false;
    std::uint64_t t = length + growth + 64, o = KanjiOutputCapacity(t);
    if (o > kLimit32)
        return false;
    *text = static_cast<std::uint32_t>(t);
    *output = static_cast<std::uint32_t>(o);
    return true;
}

bool SaveNeedsOutput(KanjiCode kanji) { return kanji != KanjiCode::ShiftJIS && kanji != KanjiCode::Auto; }

LoadResult ConvertFileOnLoad(char* data, std::size_t dataLength, char* converted, std::size_t convertedCapacity,
                             const PassObserver* observer, KanjiCode as)
{
    LoadResult result{};
    bool markBigEndian = false;
    const bool marked = utf16::StartsWithByteOrderMark(data, dataLength, &markBigEndian);
    const bool utf16 = as == KanjiCode::Auto ? marked : IsUtf16(as);
    const bool bigEndian = as == KanjiCode::Auto ? markBigEndian : as == KanjiCode::UTF16BE;
    if (utf16) {
        // A mark of the order read is skipped; without one the text starts at once.
        const std::size_t from = marked && markBigEndian == bigEndian ? utf16::kByteOrderMarkLength : 0;
        std::size_t consumed = 0;
        bool zero = false;
        const std::size_t n =
            utf16::ToShiftJis(data, from, dataLength, bigEndian, true, &consumed, &result.replaced, &zero);
        result.leftOut = dataLength - consumed;
        dataLength = n;
    } else {
        std::size_t start = 0, end = 0;
        LoadTextBounds(data, dataLength, &start, &end);
        result.leftOut = dataLength - end;
    }
    std::size_t length = 0;
    result.lineBreak = ConvertLineBreaksOnLoad(data, dataLength, converted, convertedCapacity,
                                               Begin(observer), &length);
    End(observer);
    if (utf16) {
        result.kanji = bigEndian ? KanjiCode::UTF16BE : KanjiCode::UTF16;
        ConvertKanjiOnLoadAs(KanjiCode::ShiftJIS, converted, length, convertedCapacity, Begin(observer),
                             &result.length);
    } else {
        LoadNotes notes;
        result.kanji = ConvertKanjiOnLoad(converted, length, convertedCapacity, Begin(observer), &result.length,
                                          &notes, as);
        result.byteOrderMark = notes.byteOrderMark;
        result.replaced = notes.replaced;
    }
    End(observer);
    return result;
}

SavedText ConvertTextOnSave(char* text, std::size_t length, std::size_t textCapacity, char* output,
                            std::size_t outputCapacity, KanjiCode kanji, LineBreakCode lineBreak,
                            const PassObserver* observer, bool byteOrderMark)
{
    length = ConvertLineBreaksOnSave(text, length, textCapacity, lineBreak, Begin(observer));
    End(observer);
    const ProgressSink* sink = Begin(observer);
    SavedText saved{text, length, 0};
    if (SaveNeedsOutput(kanji)) {
        saved.data = output;
        saved.length = ConvertKanjiOnSave(text, length, output, outputCapacity, kanji, sink, byteOrderMark,
                                          &saved.replaced);
    } else if (sink) {
        ConvertKanjiOnSave(text, length, text, textCapacity, kanji, sink);  // the same bytes, for the meter
    }
    End(observer);
    return saved;
}
