// The ordered batch under the converter: stage order per item and across items, whatever the
// number of threads, and end signals that wait for the running executes.
#include "cli/Batch.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <set>
#include <string>
#include <thread>
#include <vector>

namespace trv {
namespace {

using namespace std::chrono_literals;

// When each stage of each item began and ended, on one clock of events.
struct Trace {
    explicit Trace(std::size_t count)
        : prepareStart(count), prepareEnd(count), commit(count), executeStart(count),
          executeEnd(count), finish(count), calls(count)
    {
    }
    std::atomic<long> clock{1};
    std::vector<long> prepareStart, prepareEnd, commit, executeStart, executeEnd, finish;
    std::vector<std::atomic<int>> calls;
    std::atomic<int> executing{0};
    std::atomic<int> mostExecuting{0};
    long Tick() { return clock++; }
};

// Items with work for execute: two of three. Items prepared only after the executes before
// them: every 17th.
bool HasWork(std::size_t item)
{
    return item % 3 != 1;
}
bool Independent(std::size_t item)
{
    return item % 17 != 9;
}

BatchStages TracedStages(Trace& t)
{
    BatchStages stages;
    stages.prepare = [&t](std::size_t i) {
        t.prepareStart[i] = t.Tick();
        ++t.calls[i];
        std::this_thread::sleep_for(std::chrono::microseconds((i * 37) % 200));
        t.prepareEnd[i] = t.Tick();
        return std::size_t{100};
    };
    stages.commit = [&t](std::size_t i) {
        t.commit[i] = t.Tick();
        return HasWork(i);
    };
    stages.execute = [&t](std::size_t i) {
        t.executeStart[i] = t.Tick();
        ++t.calls[i];
        const int now = ++t.executing;
        int most = t.mostExecuting;
        while (now > most && !t.mostExecuting.compare_exchange_weak(most, now)) {
        }
        std::this_thread::sleep_for(std::chrono::microseconds((i * 53) % 300));
        --t.executing;
        t.executeEnd[i] = t.Tick();
    };
    stages.finish = [&t](std::size_t i) { t.finish[i] = t.Tick(); };
    stages.independent = &Independent;
    return stages;
}

TEST(Batch, CommitAndFinishKeepTheItemOrderAndEachItemItsStageOrder)
{
    constexpr std::size_t kCount = 400;
    for (const unsigned jobs : {1u, 2u, 4u}) {
        SCOPED_TRACE("jobs " + std::to_string(jobs));
        Trace t(kCount);
        RunBatch(kCount, jobs, TracedStages(t));
        long lastExecuteEnd = 0;
        for (std::size_t i = 0; i < kCount; ++i) {
            SCOPED_TRACE("item " + std::to_string(i));
            EXPECT_EQ(t.calls[i].load(), HasWork(i) ? 2 : 1);
            EXPECT_LT(t.prepareEnd[i], t.commit[i]);
            if (i > 0) {
                EXPECT_LT(t.commit[i - 1], t.commit[i]);
                EXPECT_LT(t.finish[i - 1], t.finish[i]);
            }
            if (HasWork(i)) {
                EXPECT_LT(t.commit[i], t.executeStart[i]);
                EXPECT_LT(t.executeEnd[i], t.finish[i]);
            }
            else {
                EXPECT_LT(t.commit[i], t.finish[i]);
            }
            if (!Independent(i)) {
                EXPECT_GT(t.prepareStart[i], lastExecuteEnd);
            }
            if (HasWork(i)) lastExecuteEnd = std::max(lastExecuteEnd, t.executeEnd[i]);
        }
        if (jobs == 1)
            EXPECT_EQ(t.mostExecuting.load(), 1);
        else
            EXPECT_GT(t.mostExecuting.load(), 1) << "the executes never overlapped";
    }
}

// A child process runs a batch whose executes each take a while and log their begin and end;
// it is then ended by a signal. Every execute that began must have ended.
class BatchSignals : public ::testing::Test {
  protected:
    void SetUp() override
    {
        std::string pattern =
            (std::filesystem::temp_directory_path() / "trv-batch-XXXXXX").string();
        const int fd = ::mkstemp(pattern.data());
        ASSERT_GE(fd, 0);
        ::close(fd);
        log_ = pattern;
    }
    void TearDown() override { std::filesystem::remove(log_); }

    // Runs the batch in a child; `arm` runs in the child first. Returns the wait status.
    template <typename Arm> int RunChild(Arm arm, int signalToSend, std::size_t count = 400)
    {
        const pid_t pid = ::fork();
        if (pid == 0) {
            arm();
            const int log = ::open(log_.c_str(), O_WRONLY | O_APPEND);
            BatchStages stages;
            stages.prepare = [](std::size_t) { return std::size_t{0}; };
            stages.commit = [](std::size_t) { return true; };
            stages.execute = [log](std::size_t i) {
                const std::string begin = "b" + std::to_string(i) + "\n";
                const std::string end = "e" + std::to_string(i) + "\n";
                (void)!::write(log, begin.data(), begin.size());
                std::this_thread::sleep_for(20ms);
                (void)!::write(log, end.data(), end.size());
            };
            stages.finish = [](std::size_t) { (void)!::write(1, "done\n", 5); };
            stages.independent = [](std::size_t) { return true; };
            RunBatch(count, 3, stages);
            ::_exit(0);
        }
        if (signalToSend != 0) {
            std::this_thread::sleep_for(150ms);
            ::kill(pid, signalToSend);
        }
        int status = 0;
        ::waitpid(pid, &status, 0);
        return status;
    }

    void ExpectNoExecuteCutShort()
    {
        std::ifstream in(log_);
        std::multiset<std::string> begun;
        int began = 0;
        for (std::string line; std::getline(in, line);) {
            if (line[0] == 'b') {
                begun.insert(line.substr(1));
                ++began;
            }
            else {
                begun.erase(begun.find(line.substr(1)));
            }
        }
        EXPECT_GT(began, 0);
        EXPECT_TRUE(begun.empty())
            << begun.size() << " executes were cut short, e.g. item " << *begun.begin();
    }

    std::string log_;
};

// Sent from outside, or SIGPIPE from the first finish's write when nobody reads the output.
TEST_F(BatchSignals, EndSignalsAndABrokenOutputPipeWaitForTheRunningExecutes)
{
    for (const int sig : {SIGINT, SIGTERM, SIGHUP, SIGPIPE}) {
        SCOPED_TRACE(::strsignal(sig));
        std::ofstream(log_, std::ios::trunc);
        const int status = RunChild(
            [sig] {
                int fds[2];
                if (::pipe(fds) != 0) ::_exit(100);
                if (sig == SIGPIPE) ::close(fds[0]);
                ::dup2(fds[1], 1);
            },
            sig == SIGPIPE ? 0 : sig);
        ASSERT_TRUE(WIFSIGNALED(status)) << "exit status " << WEXITSTATUS(status);
        EXPECT_EQ(WTERMSIG(status), sig);
        ExpectNoExecuteCutShort();
    }
}

TEST_F(BatchSignals, IgnoredSignalsStayIgnored)
{
    const int status = RunChild(
        [] {
            ::signal(SIGTERM, SIG_IGN);
            const int null = ::open("/dev/null", O_WRONLY);
            ::dup2(null, 1);
        },
        SIGTERM, 40);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0);
}

} // namespace
} // namespace trv
