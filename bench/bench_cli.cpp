#include "BenchSamples.h"

#include "cli/Convert.h"
#include "platform/FileIo.h"

#include <benchmark/benchmark.h>

#include <unistd.h>

#include <filesystem>
#include <sstream>
#include <string>
#include <vector>

namespace {

namespace fs = std::filesystem;

constexpr int kFileCount = 1000;

// 1,000 copies of the 1024-channel sample in a temporary folder, made once per program run
// and removed at exit.
class BatchFolder {
  public:
    BatchFolder()
    {
        root_ = fs::temp_directory_path() / ("trv-bench-cli-" + std::to_string(::getpid()));
        fs::create_directories(root_ / "in");
        fs::create_directories(root_ / "out");
        const std::string& bytes = trv::bench::SampleBytes(trv::bench::kSample1024);
        for (int i = 0; i < kFileCount; ++i) {
            const std::string path = (root_ / "in" / ("s" + std::to_string(i) + ".spm")).string();
            trv::WriteFileAtomic(path, bytes);
            files_.push_back(path);
        }
    }
    ~BatchFolder()
    {
        std::error_code ignored;
        fs::remove_all(root_, ignored);
    }
    const std::vector<std::string>& Files() const { return files_; }
    std::string OutDir() const { return (root_ / "out").string(); }

  private:
    fs::path root_;
    std::vector<std::string> files_;
};

BatchFolder& Batch()
{
    static BatchFolder batch;
    return batch;
}

// The whole converter in-process, as the executable runs it: parse, guess, write EXP (and
// optionally the velocity table) for 1,000 files, one per processor at once unless --jobs
// says otherwise.
void RunBatch(benchmark::State& state, std::vector<std::string> leading)
{
    std::vector<std::string> args = std::move(leading);
    args.push_back("--output-dir");
    args.push_back(Batch().OutDir());
    args.insert(args.end(), Batch().Files().begin(), Batch().Files().end());
    for (auto _ : state) {
        std::ostringstream out;
        std::ostringstream err;
        const int status = trv::RunConvert(args, out, err);
        if (status != 0) {
            state.SkipWithError(("conversion failed: " + err.str()).c_str());
            break;
        }
    }
    state.SetItemsProcessed(static_cast<int64_t>(state.iterations()) * kFileCount);
}

void BM_Convert1000Files(benchmark::State& state)
{
    RunBatch(state, {});
}
void BM_Convert1000FilesOneAfterTheOther(benchmark::State& state)
{
    RunBatch(state, {"--jobs", "1"});
}
void BM_Convert1000FilesWithVelocityTable(benchmark::State& state)
{
    RunBatch(state, {"--mode", "1024", "--ascii", "velocity"});
}
void BM_Info1000Files(benchmark::State& state)
{
    RunBatch(state, {"--info"});
}

} // namespace

BENCHMARK(BM_Convert1000Files)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_Convert1000FilesOneAfterTheOther)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_Convert1000FilesWithVelocityTable)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_Info1000Files)->Unit(benchmark::kMillisecond)->UseRealTime();
