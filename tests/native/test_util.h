// Helpers shared by the core tests: byte strings, hex dumps and a progress
// sink that records what it is told.
#pragma once

#include <cstdint>
#include <cstdio>
#include <string>
#include <utility>
#include <vector>

#include "codec/convert.h"
#include "hex.h"

using Bytes = std::string;

// Records every advance, expanded, and how often the sink was called.
struct RecordingSink {
    std::vector<int> advances;
    unsigned calls = 0;
    ProgressSink sink{&RecordingSink::Advance, this};

    static void Advance(void* context, int percent, std::uint32_t times)
    {
        auto* self = static_cast<RecordingSink*>(context);
        ++self->calls;
        self->advances.insert(self->advances.end(), times, percent);
    }
    unsigned CountOf(int percent) const
    {
        unsigned n = 0;
        for (int p : advances)
            n += p == percent;
        return n;
    }
};

struct Loaded {
    Bytes text;
    LineBreakCode lineBreak;
    KanjiCode kanji;
    std::uint64_t replaced;  // characters that became 〓
};

// Runs both load passes with the buffer sizes of the editor's load flow.
inline Loaded LoadBytes(const Bytes& file, const ProgressSink* pass1 = nullptr,
                        const ProgressSink* pass2 = nullptr)
{
    std::vector<char> raw(file.size() + 64, '\x55');
    std::copy(file.begin(), file.end(), raw.begin());
    raw[file.size()] = 0;
    std::vector<char> converted(2 * file.size() + 128, '\x55');
    Loaded r;
    std::size_t length = 0;
    r.lineBreak = ConvertLineBreaksOnLoad(raw.data(), file.size(), converted.data(), converted.size(), pass1, &length);
    LoadNotes notes;
    r.kanji = ConvertKanjiOnLoad(converted.data(), length, converted.size(), pass2, &length, &notes);
    r.replaced = notes.replaced;
    r.text = Bytes(converted.data(), length);
    return r;
}

// Runs both save passes with the buffer sizes of the editor's save flow.
inline Bytes SaveBytes(const Bytes& text, KanjiCode kanji, LineBreakCode lineBreak,
                       const ProgressSink* pass1 = nullptr, const ProgressSink* pass2 = nullptr)
{
    std::size_t growth = LineBreakGrowthOnSave(text.data(), text.size(), lineBreak);
    std::vector<char> buf(text.size() + growth + 64, '\x55');
    std::copy(text.begin(), text.end(), buf.begin());
    buf[text.size()] = 0;
    std::vector<char> out(5 * buf.size(), '\x55');
    std::size_t length = ConvertLineBreaksOnSave(buf.data(), text.size(), buf.size(), lineBreak, pass1);
    std::size_t n = ConvertKanjiOnSave(buf.data(), length, out.data(), out.size(), kanji, pass2);
    return Bytes(out.data(), n);
}
