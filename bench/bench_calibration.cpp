#include "BenchSamples.h"

#include "calibration/VelocityFit.h"
#include "exp/ExpHeader.h"
#include "platform/LocaleFormats.h"
#include "spectrum/Spm.h"

#include <benchmark/benchmark.h>

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

} // namespace
