#include "BenchSamples.h"

#include "calibration/VelocityFit.h"
#include "exp/ExpHeader.h"
#include "platform/LocaleFormats.h"
#include "spectrum/Spm.h"

#include <benchmark/benchmark.h>

#include <algorithm>

namespace {

// Calibrating the bundled 1024-channel iron foil spectrum, from the parsed counts to the
// results, in each save-as mode.
void BM_CalibrateSpectrum(benchmark::State& state)
{
    const trv::SpmSpectrum spm =
        trv::ParseSpmImage(trv::bench::SampleBytes(trv::bench::kSample1024), "ha1001-fe-foil.spm",
                           trv::LocaleFormats::Fixed());
    const std::vector<double> lines = trv::DefaultReferenceLines();
    const int mode = static_cast<int>(state.range(0));
    for (auto _ : state) {
        trv::CalibrationFit fit = trv::CalibrateSpectrum(spm.counts, 1024, mode, lines);
        benchmark::DoNotOptimize(fit);
    }
}
BENCHMARK(BM_CalibrateSpectrum)
    ->ArgName("mode")
    ->Arg(trv::kSave1024)
    ->Arg(trv::kSave512Add)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();

// The same spectrum as a real measurement may give it: started 80 channels later in the drive's
// cycle, its first channel counted a third of the time (found as a stray, the fit redone).
void BM_CalibrateTurnedSpectrum(benchmark::State& state)
{
    trv::SpmSpectrum spm = trv::ParseSpmImage(trv::bench::SampleBytes(trv::bench::kSample1024),
                                              "ha1001-fe-foil.spm", trv::LocaleFormats::Fixed());
    std::rotate(spm.counts.rbegin(), spm.counts.rbegin() + 80, spm.counts.rend());
    spm.counts[0] /= 3;
    const std::vector<double> lines = trv::DefaultReferenceLines();
    const int mode = static_cast<int>(state.range(0));
    for (auto _ : state) {
        trv::CalibrationFit fit = trv::CalibrateSpectrum(spm.counts, 1024, mode, lines);
        benchmark::DoNotOptimize(fit);
    }
}
BENCHMARK(BM_CalibrateTurnedSpectrum)
    ->ArgName("mode")
    ->Arg(trv::kSave1024)
    ->Arg(trv::kSave512Add)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();

} // namespace
