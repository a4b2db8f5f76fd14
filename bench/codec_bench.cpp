// In-process speed of each conversion pass on a large real Japanese text
// (VEXA_BENCH_FILE, EUC with LF line breaks), with progress reporting to a
// sink that does nothing and with no sink at all.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "codec/convert.h"

namespace {

void Nothing(void*, int, std::uint32_t) {}
const ProgressSink kNothing{&Nothing, nullptr};

struct Texts {
    std::vector<char> eucLf;      // the file, zero-terminated
    std::vector<char> eucCrLf;    // after load pass 1
    std::vector<char> sjisCrLf;   // after load pass 2: the internal form
    std::vector<char> utf8CrLf;   // the internal form saved as UTF-8, as load pass 1 leaves a UTF-8 file
    std::size_t fileSize = 0;
};

const Texts& GetTexts()
{
    static Texts t = [] {
        Texts r;
        const char* path = std::getenv("VEXA_BENCH_FILE");
        std::FILE* f = path ? std::fopen(path, "rb") : nullptr;
        if (!f) {
            std::fprintf(stderr, "set VEXA_BENCH_FILE to a large EUC text (bench/run.sh does)\n");
            std::exit(2);
        }
        std::fseek(f, 0, SEEK_END);
        r.fileSize = static_cast<std::size_t>(std::ftell(f));
        std::fseek(f, 0, SEEK_SET);
        r.eucLf.resize(r.fileSize + 64);
        if (std::fread(r.eucLf.data(), 1, r.fileSize, f) != r.fileSize)
            std::exit(2);
        std::fclose(f);
        r.eucLf[r.fileSize] = 0;
        r.eucCrLf.resize(2 * r.fileSize + 128);
        ConvertLineBreaksOnLoad(r.eucLf.data(), r.fileSize, r.eucCrLf.data(), r.eucCrLf.size(), nullptr);
        r.sjisCrLf = r.eucCrLf;
        ConvertKanjiOnLoad(r.sjisCrLf.data(), TextLength(r.sjisCrLf.data(), r.sjisCrLf.size()), r.sjisCrLf.size(),
                           nullptr);
        const std::size_t length = TextLength(r.sjisCrLf.data(), r.sjisCrLf.size());
        r.utf8CrLf.resize(KanjiOutputCapacity(length + 1));
        r.utf8CrLf.resize(ConvertKanjiOnSave(r.sjisCrLf.data(), length, r.utf8CrLf.data(), r.utf8CrLf.size(),
                                             KanjiCode::UTF8, nullptr) + 1);
        return r;
    }();
    return t;
}

const ProgressSink* SinkOf(const benchmark::State& state) { return state.range(0) ? &kNothing : nullptr; }

void BM_Detect(benchmark::State& state)
{
    const Texts& t = GetTexts();
    for (auto _ : state)
        benchmark::DoNotOptimize(DetectKanjiCode(t.eucCrLf.data(), t.eucCrLf.size()));
    state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(t.fileSize));
}

void BM_LoadLineBreaks(benchmark::State& state)
{
    const Texts& t = GetTexts();
    std::vector<char> out(2 * t.fileSize + 128);
    for (auto _ : state)
        benchmark::DoNotOptimize(ConvertLineBreaksOnLoad(t.eucLf.data(), t.fileSize, out.data(), out.size(), SinkOf(state)));
    state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(t.fileSize));
}

// Passes that work in place get a fresh copy of their input each time.
template <typename Pass>
void InPlace(benchmark::State& state, const std::vector<char>& input, Pass pass)
{
    std::vector<char> buf(input.size());
    std::size_t len = TextLength(input.data(), input.size());
    for (auto _ : state) {
        state.PauseTiming();
        std::memcpy(buf.data(), input.data(), input.size());
        state.ResumeTiming();
        pass(buf, len);
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(len));
}

void BM_LoadKanjiEuc(benchmark::State& state)
{
    const ProgressSink* sink = SinkOf(state);
    InPlace(state, GetTexts().eucCrLf, [&](std::vector<char>& b, std::size_t len) { ConvertKanjiOnLoad(b.data(), len, b.size(), sink); });
}

// Detection (a whole sweep that finds the text well-formed) and the
// conversion, as the load runs them on a UTF-8 file.
void BM_LoadKanjiUtf8(benchmark::State& state)
{
    const ProgressSink* sink = SinkOf(state);
    InPlace(state, GetTexts().utf8CrLf, [&](std::vector<char>& b, std::size_t len) { ConvertKanjiOnLoad(b.data(), len, b.size(), sink); });
}

void BM_SaveLineBreaksLf(benchmark::State& state)
{
    const ProgressSink* sink = SinkOf(state);
    InPlace(state, GetTexts().sjisCrLf,
            [&](std::vector<char>& b, std::size_t len) { ConvertLineBreaksOnSave(b.data(), len, b.size(), LineBreakCode::Lf, sink); });
}

void SaveKanji(benchmark::State& state, KanjiCode target)
{
    const Texts& t = GetTexts();
    std::size_t len = TextLength(t.sjisCrLf.data(), t.sjisCrLf.size());
    std::vector<char> out(KanjiOutputCapacity(len + 1));
    for (auto _ : state)
        benchmark::DoNotOptimize(ConvertKanjiOnSave(t.sjisCrLf.data(), len, out.data(), out.size(), target, SinkOf(state)));
    state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(len));
}

void BM_SaveKanjiEuc(benchmark::State& state) { SaveKanji(state, KanjiCode::EUC); }
void BM_SaveKanjiJis(benchmark::State& state) { SaveKanji(state, KanjiCode::JIS); }
void BM_SaveKanjiSjis(benchmark::State& state) { SaveKanji(state, KanjiCode::ShiftJIS); }
void BM_SaveKanjiUtf8(benchmark::State& state) { SaveKanji(state, KanjiCode::UTF8); }

// Arg 0: no sink; 1: progress reported to a sink that does nothing.
BENCHMARK(BM_Detect)->Arg(0)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_LoadLineBreaks)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_LoadKanjiEuc)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_LoadKanjiUtf8)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_SaveLineBreaksLf)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_SaveKanjiEuc)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_SaveKanjiJis)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_SaveKanjiSjis)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_SaveKanjiUtf8)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
