#include "BenchSamples.h"

#include "spectrum/Spm.h"

#include <benchmark/benchmark.h>

namespace {

void ParseSample(benchmark::State& state, const char* path)
{
    const std::string bytes = trv::bench::SampleBytes(path);
    const trv::LocaleFormats locale = trv::LocaleFormats::Fixed();
    for (auto _ : state) {
        trv::SpmSpectrum spectrum = trv::ParseSpmImage(bytes, path, locale);
        benchmark::DoNotOptimize(spectrum);
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) *
                            static_cast<int64_t>(bytes.size()));
}

void BM_ParseSpmImage_Pca2_1024(benchmark::State& state)
{
    ParseSample(state, trv::bench::kSample1024);
}
void BM_ParseSpmImage_Pca3_512(benchmark::State& state)
{
    ParseSample(state, trv::bench::kSamplePca3);
}

void BM_SpmInfoCaptions(benchmark::State& state)
{
    const trv::LocaleFormats locale = trv::LocaleFormats::Fixed();
    const trv::SpmSpectrum spectrum = trv::ParseSpmImage(
        trv::bench::SampleBytes(trv::bench::kSample1024), trv::bench::kSample1024, locale);
    for (auto _ : state) {
        auto captions = trv::SpmInfoCaptions(spectrum.info, locale);
        benchmark::DoNotOptimize(captions);
    }
}

} // namespace

BENCHMARK(BM_ParseSpmImage_Pca2_1024);
BENCHMARK(BM_ParseSpmImage_Pca3_512);
BENCHMARK(BM_SpmInfoCaptions);
