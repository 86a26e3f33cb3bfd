// A batch ended by a signal at any moment leaves complete outputs only: no temporary file, no
// half-written EXP file, and the conventional end by that signal. A signal the converter was
// started to ignore stays ignored.
#include "CliTestSupport.h"

#include <cstring>
#include <random>
#include <thread>

namespace trv::clitest {
namespace {

using Clock = std::chrono::steady_clock;

constexpr int kFiles = 3000;
constexpr int kInterrupts = 12;

TEST_F(ConverterTest, SignalsInterruptABatchLeavingOnlyCompleteOutputs)
{
    // One sample under many names (hard links); without the guess all outputs are alike.
    const fs::path sample = CopyInput("ha1234.spm");
    fs::create_directories(Dir() / "in");
    Names files;
    for (int i = 0; i < kFiles; ++i) {
        files.push_back("in/s" + std::to_string(10000 + i) + ".spm");
        fs::create_hard_link(sample, Dir() / files.back());
    }
    const Names args = Args({{"--no-guess", "--output-dir", "out"}, files});
    ASSERT_EQ(Run({"--no-guess", "ha1234.spm"}).status, 0);
    const std::string expected = ReadBytes(Dir() / "ha1234.exp");
    // Every entry of "out" is the complete output of one input; returns how many there are.
    const auto completeOutputs = [&] {
        int complete = 0;
        for (const auto& entry : fs::directory_iterator(Dir() / "out")) {
            const std::string name = entry.path().filename().string();
            const bool ours = name.size() == 10 && name.starts_with("s1") && name.ends_with(".exp");
            EXPECT_TRUE(ours && ReadBytes(entry.path()) == expected) << "left behind: " << name;
            ++complete;
        }
        return complete;
    };

    // A whole run first: it must be complete, and it tells how long a run takes here.
    fs::create_directories(Dir() / "out");
    const auto started = Clock::now();
    ASSERT_EQ(Run(args).status, 0);
    const auto wholeTime =
        std::chrono::duration_cast<std::chrono::microseconds>(Clock::now() - started);
    ASSERT_EQ(completeOutputs(), kFiles);

    const unsigned seed = std::random_device{}();
    SCOPED_TRACE("seed " + std::to_string(seed));
    std::mt19937 random(seed);
    const struct {
        int sig;
        bool ignored;
    } cases[] = {{SIGINT, false}, {SIGTERM, false}, {SIGHUP, false}, {SIGTERM, true}};
    int interrupted = 0;
    for (int attempt = 0; interrupted < kInterrupts && attempt < 4 * kInterrupts; ++attempt) {
        const auto& [sig, ignored] = cases[attempt % 4];
        SCOPED_TRACE(std::string(::strsignal(sig)) + (ignored ? ", ignored" : ""));
        // On runs that replace the outputs there and on runs into an empty folder.
        if (attempt % 8 >= 4) {
            fs::remove_all(Dir() / "out");
            fs::create_directories(Dir() / "out");
        }
        if (ignored) ::signal(sig, SIG_IGN); // the converter inherits it
        const pid_t pid = Start(args);
        if (ignored) ::signal(sig, SIG_DFL);
        ASSERT_GT(pid, 0);
        std::this_thread::sleep_for(std::chrono::microseconds(
            std::uniform_int_distribution<long long>(0, wholeTime.count() * 3 / 4)(random)));
        ::kill(pid, sig);
        const RunResult run = Finish(pid);
        const int complete = completeOutputs();
        if (ignored) {
            EXPECT_EQ(run.status, 0);
            EXPECT_EQ(complete, kFiles);
        }
        else if (run.status != 0) { // 0: done before the signal came, try again
            EXPECT_EQ(run.signal, sig) << "exit status " << run.status << ": " << run.err;
            ++interrupted;
        }
    }
    EXPECT_EQ(interrupted, kInterrupts);

    // Printing into a pipe nobody reads ends the run by SIGPIPE.
    int fds[2];
    ASSERT_EQ(::pipe(fds), 0);
    ::close(fds[0]);
    const pid_t pid = Start(Args({{"--info"}, files}), fds[1]);
    ::close(fds[1]);
    EXPECT_EQ(Finish(pid).signal, SIGPIPE);
}

} // namespace
} // namespace trv::clitest
