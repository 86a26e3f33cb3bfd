// --watch: files that appear in the folder (written slowly, renamed in, rewritten later) are
// converted once per complete version, never while incomplete, to exactly what a batch makes
// of the final files; a signal ends the run with complete outputs only, and a new run does not
// convert again what was converted and has not changed.
#include "CliTestSupport.h"

#include "support/SpmImages.h"

#include <map>
#include <set>
#include <thread>

namespace trv::clitest {
namespace {

using namespace std::chrono_literals;

constexpr int kFiles = 200;
constexpr const char* kState = ".trevandel-convert-watch";

std::string Name(int i)
{
    return "s" + std::to_string(1000 + i) + ".spm";
}

// Channel counts and variants vary; every version of every file has counts of its own.
std::string Image(int i, int version)
{
    const auto counts =
        test::SomeCounts(i % 3 == 0 ? 512 : 1024, static_cast<std::uint32_t>(10 * i + version));
    return i % 5 == 4 ? test::Pca3Image(counts) : test::Pca2Image(counts);
}

// Counts of "FILE: converted" lines by file; any other line counts under its own text.
std::map<std::string, int> Conversions(const std::string& out)
{
    std::map<std::string, int> count;
    for (const std::string& line : SplitLines(out)) {
        const auto at = line.rfind(": converted");
        ++count[at != std::string::npos && at + 11 == line.size() ? line.substr(0, at) : line];
    }
    return count;
}

int Total(const std::map<std::string, int>& conversions)
{
    int total = 0;
    for (const auto& [name, n] : conversions)
        total += n;
    return total;
}

bool WaitFor(const std::function<bool()>& done, std::chrono::milliseconds deadline = 20s)
{
    const auto end = std::chrono::steady_clock::now() + deadline;
    while (!done()) {
        if (std::chrono::steady_clock::now() > end) return false;
        std::this_thread::sleep_for(10ms);
    }
    return true;
}

// Writes the files side by side in pieces, with pauses between them, as slow writers would.
// One pause is longer than the quiet time after which a closed file is converted: there the
// 1024-channel PCA2 files are as long as a whole 512-channel one.
void WriteInPieces(const std::vector<fs::path>& paths, const std::vector<std::string>& images)
{
    std::vector<std::ofstream> files;
    for (const fs::path& path : paths)
        files.emplace_back(path, std::ios::binary | std::ios::trunc);
    for (std::size_t at = 0; at < 4608; at += 512) {
        for (std::size_t i = 0; i < files.size(); ++i) {
            if (at >= images[i].size()) continue;
            const std::size_t n = std::min<std::size_t>(512, images[i].size() - at);
            files[i].write(images[i].data() + at, static_cast<std::streamsize>(n));
            files[i].flush();
        }
        std::this_thread::sleep_for(at + 512 == 2560 ? 600ms : 20ms);
    }
}

class WatchTest : public ConverterTest {
  protected:
    void SetUp() override
    {
        ConverterTest::SetUp();
        for (const char* folder : {"in", "out", "stage", "ref"})
            fs::create_directories(Dir() / folder);
    }

    // A batch of the folder's files into ref/: what the outputs must be.
    void ConvertByBatch(std::vector<std::string> options, const std::string& folder,
                        const std::string& expectedErr)
    {
        options.insert(options.end(), {"--output-dir", "ref"});
        for (const std::string& name : FolderListing(Dir() / folder))
            options.push_back(folder + "/" + name);
        EXPECT_EQ(Run(options).err, expectedErr);
    }

    // Every output is complete, the batch's; with all, there is one for each of the batch's.
    void ExpectOutputsOfTheBatch(bool all)
    {
        const Names expected = FolderListing(Dir() / "ref");
        for (const std::string& name : FolderListing(Dir() / "out")) {
            if (name == kState) continue;
            if (std::find(expected.begin(), expected.end(), name) == expected.end())
                ADD_FAILURE() << "left behind: " << name;
            else
                EXPECT_EQ(ReadBytes(Dir() / "out" / name), ReadBytes(Dir() / "ref" / name)) << name;
        }
        if (all) {
            EXPECT_EQ(FolderListing(Dir() / "out").size(), expected.size() + 1);
        }
    }
};

TEST_F(WatchTest, WhatKeepsItFromStartingEndsItWithStatusTwoAndTheReason)
{
    CopyInput("ab.spm");
    // A calibration file that cannot be read: as the batch says it.
    const std::string badCal = Run({"--cal", "stage", "ab.spm"}).err;
    ASSERT_EQ(badCal, "stage: File access denied\n");
    const std::pair<std::vector<std::string>, std::string> cases[] = {
        {{"--watch", "none/"}, "none: File not found\n"},
        {{"--watch", "ab.spm"}, "ab.spm: not a folder\n"},
        {{"--watch", "in", "--cal", "stage"}, badCal},
        {{"--watch", "in", "--cal", "none.cal"}, "none.cal: File not found\n"},
    };
    for (const auto& [args, err] : cases) {
        const RunResult run = Run(args, 10s);
        EXPECT_EQ(run.status, 2) << err;
        EXPECT_EQ(run.err, err);
    }
}

TEST_F(WatchTest, ConvertsEachCompleteVersionOnceToWhatTheBatchMakes)
{
    CopyInput("ha1024.cal", "v.cal");
    const std::vector<std::string> options = {"--cal", "v.cal", "--ascii", "velocity"};
    // Already there: a quarter of the files, a PCA3 file with bytes after its counts (taken as
    // it is once it stays so) and one too short to be a spectrum (refused then).
    for (int i = 0; i < kFiles; i += 4)
        WriteBytes(Dir() / "in" / Name(i), Image(i, 0));
    CopyInput("hb2001.spm", "in/odd.spm");
    WriteBytes(Dir() / "in/short.spm", Image(1, 0).substr(0, 100));

    const pid_t pid = Start(Args({options, {"--watch", "in", "--output-dir", "out"}}));
    ASSERT_GT(pid, 0);

    // The others arrive: written slowly, renamed in, or written at once (those are rewritten).
    std::vector<fs::path> slow;
    std::vector<std::string> slowImages;
    for (int i = 0; i < kFiles; ++i) {
        if (i % 4 == 1) {
            slow.push_back(Dir() / "in" / Name(i));
            slowImages.push_back(Image(i, 0));
        }
        else if (i % 4 == 2) {
            WriteBytes(Dir() / "stage" / Name(i), Image(i, 0));
            fs::rename(Dir() / "stage" / Name(i), Dir() / "in" / Name(i));
        }
        else if (i % 4 == 3) {
            WriteBytes(Dir() / "in" / Name(i), Image(i, 0));
        }
    }
    WriteInPieces(slow, slowImages);
    EXPECT_TRUE(WaitFor([&] { return Total(Conversions(OutSoFar())) >= kFiles + 1; }))
        << OutSoFar();

    // Rewritten: half in place in pieces after a truncation, half renamed over.
    std::vector<fs::path> rewritten;
    std::vector<std::string> rewrittenImages;
    for (int i = 3; i < kFiles; i += 4) {
        if (i % 8 == 3) {
            rewritten.push_back(Dir() / "in" / Name(i));
            rewrittenImages.push_back(Image(i, 1));
        }
        else {
            WriteBytes(Dir() / "stage" / Name(i), Image(i, 1));
            fs::rename(Dir() / "stage" / Name(i), Dir() / "in" / Name(i));
        }
    }
    WriteInPieces(rewritten, rewrittenImages);
    EXPECT_TRUE(WaitFor([&] { return Total(Conversions(OutSoFar())) >= kFiles + 1 + kFiles / 4; }));
    std::this_thread::sleep_for(500ms); // nothing more may come
    ::kill(pid, SIGTERM);
    const RunResult run = Finish(pid);
    EXPECT_EQ(run.signal, SIGTERM);

    std::map<std::string, int> expected{{"in/odd.spm", 1}};
    for (int i = 0; i < kFiles; ++i)
        expected["in/" + Name(i)] = i % 4 == 3 ? 2 : 1;
    EXPECT_EQ(Conversions(run.out), expected);
    const std::string refused =
        "in/short.spm: Not a valid SPM file: the file is too short for its header\n";
    EXPECT_EQ(run.err, refused);
    ConvertByBatch(options, "in", refused);
    ExpectOutputsOfTheBatch(true);
}

TEST_F(WatchTest, EndedBySignalItLeavesCompleteOutputsAndANewRunGoesOnFromThere)
{
    for (int i = 0; i < kFiles; ++i)
        WriteBytes(Dir() / "stage" / Name(i), Image(i, 0));
    ConvertByBatch({}, "stage", "");
    const std::vector<std::string> args = {"--watch", "in", "--output-dir", "out"};
    const pid_t first = Start(args);
    ASSERT_GT(first, 0);
    std::thread dropper([&] {
        for (int i = 0; i < kFiles; ++i) {
            fs::rename(Dir() / "stage" / Name(i), Dir() / "in" / Name(i));
            std::this_thread::sleep_for(3ms);
        }
    });
    // Once a round of conversions is behind it, in the middle of the others.
    EXPECT_TRUE(WaitFor([&] { return fs::exists(Dir() / "out" / kState); }));
    ::kill(first, SIGTERM);
    const RunResult stopped = Finish(first);
    dropper.join();
    EXPECT_EQ(stopped.signal, SIGTERM);
    ExpectOutputsOfTheBatch(false);
    const std::map<std::string, int> before = Conversions(stopped.out);
    EXPECT_LT(Total(before), kFiles);

    const pid_t second = Start(args);
    ASSERT_GT(second, 0);
    EXPECT_TRUE(WaitFor([&] { return Total(before) + Total(Conversions(OutSoFar())) >= kFiles; }))
        << OutSoFar();
    std::this_thread::sleep_for(500ms);
    ::kill(second, SIGINT);
    const RunResult resumed = Finish(second);
    EXPECT_EQ(resumed.signal, SIGINT);
    // The first run's conversions that were recorded are not made again.
    const std::map<std::string, int> after = Conversions(resumed.out);
    EXPECT_LT(Total(after), kFiles);
    std::map<std::string, int> all = before;
    for (const auto& [name, n] : after)
        all[name] = 1;
    EXPECT_EQ(all.size(), std::size_t{kFiles});
    for (const auto& [name, n] : all)
        EXPECT_EQ(n, 1) << name;

    // Nothing changed since: a third run converts nothing.
    const pid_t third = Start(args);
    std::this_thread::sleep_for(1s);
    ::kill(third, SIGTERM);
    const RunResult idle = Finish(third);
    EXPECT_EQ(idle.signal, SIGTERM);
    EXPECT_EQ(idle.out, "");
    EXPECT_EQ(idle.err, "");
    ExpectOutputsOfTheBatch(true);

    // Other options: what the earlier runs converted is converted again.
    const pid_t other = Start(Args({args, {"--description", "other"}}));
    EXPECT_TRUE(WaitFor([&] { return Total(Conversions(OutSoFar())) >= kFiles; })) << OutSoFar();
    ::kill(other, SIGTERM);
    EXPECT_EQ(Finish(other).signal, SIGTERM);
}

} // namespace
} // namespace trv::clitest
