#include "BenchSamples.h"

#include "calibration/VelocityFit.h"
#include "exp/ExpHeader.h"
#include "platform/LocaleFormats.h"
#include "spectrum/Spm.h"

#include <benchmark/benchmark.h>

#include <algorithm>

namespace {

// Calibration of the 1024-channel sample in a save-as mode; with turned:1 as a real measurement
// may give it: started 80 channels later in the drive's cycle, its first channel counted a third
// of the time (found as a stray, the fit redone).
void BM_CalibrateSpectrum(benchmark::State& state)
{
    trv::SpmSpectrum spm = trv::ParseSpmImage(trv::bench::SampleBytes(trv::bench::kSample1024),
                                              "ha1001-fe-foil.spm", trv::LocaleFormats::Fixed());
    if (state.range(1) != 0) {
        std::rotate(spm.counts.rbegin(), spm.counts.rbegin() + 80, spm.counts.rend());
        spm.counts[0] /= 3;
    }
    const std::vector<double> lines = trv::DefaultReferenceLines();
    const int mode = static_cast<int>(state.range(0));
    for (auto _ : state) {
        trv::CalibrationFit fit = trv::CalibrateSpectrum(spm.counts, 1024, mode, lines);
        benchmark::DoNotOptimize(fit);
    }
}
BENCHMARK(BM_CalibrateSpectrum)
    ->ArgNames({"mode", "turned"})
    ->Args({trv::kSave1024, 0})
    ->Args({trv::kSave512Add, 0})
    ->Args({trv::kSave1024, 1})
    ->Args({trv::kSave512Add, 1})
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();

} // namespace
