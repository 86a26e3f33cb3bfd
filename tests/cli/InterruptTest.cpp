// A batch stopped by Ctrl+C or by SIGTERM at any moment leaves complete outputs only: no
// temporary file, no half-written EXP file, and the conventional end by that signal.
#include "CliTestSupport.h"

#include <random>
#include <set>
#include <thread>

namespace trv::clitest {
namespace {

using Clock = std::chrono::steady_clock;

constexpr int kFiles = 3000;
constexpr int kInterrupts = 12;

// Every entry of the folder is the complete output of one input; returns how many there are.
int ExpectOnlyCompleteOutputs(const fs::path& folder, const std::set<std::string>& allowed,
                              const std::string& expected)
{
    int complete = 0;
    for (const auto& entry : fs::directory_iterator(folder)) {
        const std::string name = entry.path().filename().string();
        if (!allowed.contains(name)) {
            ADD_FAILURE() << "left behind: " << name;
            continue;
        }
        if (ReadBytes(entry.path()) == expected)
            ++complete;
        else
            ADD_FAILURE() << name << " is not the complete output";
    }
    return complete;
}

TEST_F(ConverterTest, InterruptedBatchLeavesOnlyCompleteOutputs)
{
    // One sample under many names (hard links); without the guess all outputs are alike.
    const fs::path sample = CopyInput("ha1234.spm");
    fs::create_directories(Dir() / "in");
    std::vector<std::string> args{"--no-guess", "--output-dir", "out"};
    std::set<std::string> outputs;
    for (int i = 0; i < kFiles; ++i) {
        const std::string stem = "s" + std::to_string(10000 + i);
        fs::create_hard_link(sample, Dir() / "in" / (stem + ".spm"));
        args.push_back("in/" + stem + ".spm");
        outputs.insert(stem + ".exp");
    }
    fs::create_directories(Dir() / "ref");
    ASSERT_EQ(Run({"--no-guess", "--output-dir", "ref", "ha1234.spm"}).status, 0);
    const std::string expected = ReadBytes(Dir() / "ref/ha1234.exp");

    // A whole run first: it must be complete, and it tells how long a run takes here.
    fs::create_directories(Dir() / "out");
    const auto started = Clock::now();
    const RunResult whole = Run(args);
    const auto wholeTime =
        std::chrono::duration_cast<std::chrono::microseconds>(Clock::now() - started);
    ASSERT_EQ(whole.status, 0) << whole.err;
    ASSERT_EQ(ExpectOnlyCompleteOutputs(Dir() / "out", outputs, expected), kFiles);

    const unsigned seed = std::random_device{}();
    SCOPED_TRACE("seed " + std::to_string(seed));
    std::mt19937 random(seed);
    int interrupted = 0;
    for (int attempt = 0; interrupted < kInterrupts && attempt < 4 * kInterrupts; ++attempt) {
        // Both signals, on runs that replace the outputs there and on runs into an empty folder.
        if (attempt % 4 >= 2) {
            fs::remove_all(Dir() / "out");
            fs::create_directories(Dir() / "out");
        }
        const int sig = attempt % 2 == 0 ? SIGINT : SIGTERM;
        const auto delay = std::chrono::microseconds(
            std::uniform_int_distribution<long long>(0, wholeTime.count() * 3 / 4)(random));

        const pid_t pid = Start(args);
        ASSERT_GT(pid, 0);
        std::this_thread::sleep_for(delay);
        int wstatus = 0;
        const bool finishedFirst = ::waitpid(pid, &wstatus, WNOHANG) == pid;
        if (!finishedFirst) ::kill(pid, sig);
        const RunResult run =
            finishedFirst ? RunResult{WEXITSTATUS(wstatus), "", "", 0} : Finish(pid);

        ExpectOnlyCompleteOutputs(Dir() / "out", outputs, expected);
        if (run.status == 0) continue; // done before the signal came: try again
        EXPECT_EQ(run.signal, sig) << "exit status " << run.status << ": " << run.err;
        ++interrupted;
    }
    EXPECT_EQ(interrupted, kInterrupts);
}

} // namespace
} // namespace trv::clitest
