#include "BenchSamples.h"

#include "asciitable/AsciiExport.h"
#include "exp/ExpFile.h"
#include "exp/ExpHeader.h"
#include "spectrum/Spm.h"

#include <benchmark/benchmark.h>

namespace {

const trv::SpmSpectrum& Spectrum1024()
{
    static const trv::SpmSpectrum spectrum =
        trv::ParseSpmImage(trv::bench::SampleBytes(trv::bench::kSample1024),
                           trv::bench::kSample1024, trv::LocaleFormats::Fixed());
    return spectrum;
}

// One EXP file to memory; the argument is the save-as mode (0: 1024 values, 1/2: 512).
void BM_FormatExpFile(benchmark::State& state)
{
    const trv::SpmSpectrum& spectrum = Spectrum1024();
    trv::ExpHeader header;
    trv::GuessExpData(header, spectrum.info.FileName);
    const int mode = static_cast<int>(state.range(0));
    std::size_t bytes = 0;
    for (auto _ : state) {
        std::string text =
            trv::FormatExpFile(header, spectrum.counts, spectrum.info.ChannelCount, mode);
        bytes += text.size();
        benchmark::DoNotOptimize(text);
    }
    state.SetBytesProcessed(static_cast<int64_t>(bytes));
}

// The velocity table, the costliest of the ASCII variants (general number format per line).
void BM_BuildASCIITable_Velocity(benchmark::State& state)
{
    const trv::SpmSpectrum& spectrum = Spectrum1024();
    for (auto _ : state) {
        std::string table =
            trv::BuildASCIITable(spectrum.counts, spectrum.info.ChannelCount, trv::kSave1024,
                                 trv::kXAxisVelocity, "128.00", "0.09135", '.');
        benchmark::DoNotOptimize(table);
    }
}

} // namespace

BENCHMARK(BM_FormatExpFile)->Arg(trv::kSave1024)->Arg(trv::kSave512Add)->Arg(trv::kSave512Mean);
BENCHMARK(BM_BuildASCIITable_Velocity);
