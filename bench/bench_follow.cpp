// Following a file: how soon a saved spectrum is reported after its writer closed it, and what
// following costs while nothing changes.
#include "BenchSamples.h"

#include "follow/FileFollower.h"

#include <benchmark/benchmark.h>

#include <QCoreApplication>
#include <QEventLoop>
#include <QTimer>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <fcntl.h>
#include <filesystem>
#include <functional>
#include <sys/resource.h>
#include <thread>
#include <unistd.h>

namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

void StartApp()
{
    static int argc = 1;
    static char name[] = "bench_follow";
    static char* argv[] = {name, nullptr};
    static QCoreApplication app(argc, argv);
}

class ScratchFolder {
  public:
    ScratchFolder()
    {
        std::string pattern = (fs::temp_directory_path() / "trv-bench-follow-XXXXXX").string();
        if (::mkdtemp(pattern.data()) != nullptr) path_ = pattern;
    }
    ~ScratchFolder()
    {
        std::error_code ignored;
        fs::remove_all(path_, ignored);
    }
    std::string File(const std::string& name) const { return (path_ / name).string(); }

  private:
    fs::path path_;
};

void Save(const std::string& path, const std::string& bytes)
{
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (fd < 0) return;
    [[maybe_unused]] const ssize_t written = ::write(fd, bytes.data(), bytes.size());
    ::close(fd);
}

// Runs the event loop until done() or the deadline.
void RunUntil(const std::function<bool()>& done, std::chrono::milliseconds deadline)
{
    QEventLoop loop;
    QTimer check;
    const auto end = Clock::now() + deadline;
    QObject::connect(&check, &QTimer::timeout, [&] {
        if (done() || Clock::now() > end) loop.quit();
    });
    check.start(1);
    loop.exec();
}

// A writer on another thread saves the spectrum with the first count changed; the time from
// its close to the follower's NewVersion is the iteration's.
void BM_ReportAfterClose(benchmark::State& state)
{
    StartApp();
    ScratchFolder folder;
    const std::string path = folder.File("run.spm");
    std::string bytes = trv::bench::SampleBytes(trv::bench::kSample1024);
    Save(path, bytes);
    trv::FileFollower follower(trv::LocaleFormats::Fixed());
    std::uint32_t lastFirst = 0;
    Clock::time_point reportedAt;
    QObject::connect(&follower, &trv::FileFollower::NewVersion, [&](const trv::SpmSpectrum& s) {
        reportedAt = Clock::now();
        lastFirst = s.counts.front();
    });
    follower.Follow(path);
    RunUntil([] { return false; }, std::chrono::milliseconds(200));

    std::vector<double> latencies;
    std::uint32_t first = 0;
    const std::size_t countsAt = bytes.size() - 4096;
    for (auto _ : state) {
        ++first;
        for (int b = 0; b < 4; ++b)
            bytes[countsAt + b] = static_cast<char>(first >> (8 * b));
        std::atomic<Clock::rep> closedAt{0};
        std::thread writer([&] {
            std::this_thread::sleep_for(std::chrono::milliseconds(2));
            Save(path, bytes);
            closedAt = Clock::now().time_since_epoch().count();
        });
        RunUntil([&] { return lastFirst == first; }, std::chrono::seconds(2));
        writer.join();
        if (lastFirst != first) {
            state.SkipWithError("no report within 2 s");
            break;
        }
        const double seconds =
            std::max(0.0, std::chrono::duration<double>(
                              reportedAt - Clock::time_point(Clock::duration(closedAt.load())))
                              .count());
        latencies.push_back(seconds);
        state.SetIterationTime(seconds);
    }
    if (!latencies.empty()) {
        std::sort(latencies.begin(), latencies.end());
        state.counters["max_ms"] = latencies.back() * 1e3;
        state.counters["p99_ms"] = latencies[latencies.size() * 99 / 100] * 1e3;
    }
}
BENCHMARK(BM_ReportAfterClose)->UseManualTime()->Iterations(200)->Unit(benchmark::kMillisecond);

double CpuSeconds(const rusage& usage)
{
    return static_cast<double>(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
           static_cast<double>(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

// Five seconds of following a file that does not change: CPU time and context switches (each
// a wake-up of the process) over them; the timer that ends the five seconds is one of them.
void BM_IdleFollowing(benchmark::State& state)
{
    StartApp();
    ScratchFolder folder;
    const std::string path = folder.File("run.spm");
    Save(path, trv::bench::SampleBytes(trv::bench::kSample1024));
    trv::FileFollower follower(trv::LocaleFormats::Fixed());
    follower.Follow(path);
    RunUntil([] { return false; }, std::chrono::milliseconds(200));
    for (auto _ : state) {
        rusage before{};
        rusage after{};
        ::getrusage(RUSAGE_SELF, &before);
        QEventLoop loop;
        QTimer::singleShot(std::chrono::seconds(5), Qt::PreciseTimer, &loop, &QEventLoop::quit);
        loop.exec();
        ::getrusage(RUSAGE_SELF, &after);
        state.counters["cpu_ms"] = (CpuSeconds(after) - CpuSeconds(before)) * 1e3;
        state.counters["wakeups"] = static_cast<double>(after.ru_nvcsw + after.ru_nivcsw -
                                                        before.ru_nvcsw - before.ru_nivcsw);
    }
}
BENCHMARK(BM_IdleFollowing)->Iterations(1)->Unit(benchmark::kMillisecond);

} // namespace
