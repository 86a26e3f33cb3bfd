#include "BenchSamples.h"

#include "plot/Bmp.h"
#include "plot/Plot.h"
#include "plot/PlotSurface.h"
#include "spectrum/Spm.h"

#include <benchmark/benchmark.h>

#include <vector>

namespace {

// The 1024-channel sample with the settings of a fresh open: folded at 512, margins 9,
// error lines and mean on, scale guessed.
struct Sample {
    std::vector<std::uint32_t> counts;
    trv::PlotSettings settings;
};

const Sample& Sample1024()
{
    static const Sample sample = [] {
        Sample s;
        s.counts = trv::ParseSpmImage(trv::bench::SampleBytes(trv::bench::kSample1024),
                                      trv::bench::kSample1024, trv::LocaleFormats::Fixed())
                       .counts;
        s.settings.Scale = static_cast<std::uint16_t>(trv::GuessScale(s.counts, s.settings));
        return s;
    }();
    return sample;
}

// One redraw of the preview as the window does it on every change: PreparePlot, then DrawPlot
// onto the image's existing bitmap (args: width, height, folded).
void BM_PreparePlotAndDraw(benchmark::State& state)
{
    const int width = static_cast<int>(state.range(0));
    const int height = static_cast<int>(state.range(1));
    trv::PlotSettings settings = Sample1024().settings;
    settings.Folded = state.range(2) != 0;
    if (!settings.Folded)
        settings.Scale = static_cast<std::uint16_t>(trv::GuessScale(Sample1024().counts, settings));
    trv::PlotState plot;
    trv::InitPlotState(plot);
    trv::PlotSurface surface(width, height);
    for (auto _ : state) {
        trv::PreparePlot(plot, Sample1024().counts, settings);
        trv::DrawPlot(plot, settings, "ha1001-fe-foil.spm", surface, width, height);
        benchmark::ClobberMemory();
    }
    state.SetItemsProcessed(static_cast<int64_t>(state.iterations()));
}

// The converter's extra work per --plot file after the drawing: the bitmap file's bytes.
void BM_EncodeBmp(benchmark::State& state)
{
    const int width = static_cast<int>(state.range(0));
    const int height = static_cast<int>(state.range(1));
    trv::PlotState plot;
    trv::InitPlotState(plot);
    trv::PlotSurface surface;
    trv::PreparePlot(plot, Sample1024().counts, Sample1024().settings);
    trv::DrawPlot(plot, Sample1024().settings, "ha1001-fe-foil.spm", surface, width, height);
    for (auto _ : state) {
        std::string bytes = trv::EncodeBmp(surface.Image());
        benchmark::DoNotOptimize(bytes);
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * width * height * 3);
}

} // namespace

BENCHMARK(BM_PreparePlotAndDraw)
    ->ArgNames({"w", "h", "folded"})
    ->Args({1920, 1080, 1})
    ->Args({3840, 2160, 1})
    ->Args({1920, 1080, 0})
    ->Args({3840, 2160, 0})
    ->Unit(benchmark::kMillisecond);
BENCHMARK(BM_EncodeBmp)
    ->ArgNames({"w", "h"})
    ->Args({320, 240})
    ->Args({1920, 1080})
    ->Unit(benchmark::kMillisecond);
