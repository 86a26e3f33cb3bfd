// --watch: files that appear in the folder (written slowly, renamed in, rewritten later) are
// converted once per complete version, never while incomplete, to exactly what a batch makes
// of the final files; a new run with the same options does not convert again what was
// converted and has not changed.
#include "CliTestSupport.h"

#include "support/SpmImages.h"

#include <map>
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
};

// A calibration file that cannot be read ends a batch as it ends --watch, before anything is
// written.
TEST_F(WatchTest, WhatKeepsItFromStartingEndsItWithStatusTwoAndTheReason)
{
    CopyInput("ab.spm");
    const std::pair<std::vector<std::string>, std::string> cases[] = {
        {{"--cal", "stage", "ab.spm"}, "stage: File access denied\n"},
        {{"--watch", "none/"}, "none: File not found\n"},
        {{"--watch", "ab.spm"}, "ab.spm: not a folder\n"},
        {{"--watch", "in", "--cal", "none.cal"}, "none.cal: File not found\n"},
    };
    for (const auto& [args, err] : cases) {
        const RunResult run = Run(args);
        EXPECT_EQ(run.status, 2) << err;
        EXPECT_EQ(run.err, err);
    }
    EXPECT_EQ(FolderListing(Dir()), (Names{"ab.spm", "in", "out", "ref", "stage"}));
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
    EXPECT_TRUE(WaitFor([&] { return SplitLines(OutSoFar()).size() >= std::size_t{kFiles + 1}; }))
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
    EXPECT_TRUE(WaitFor(
        [&] { return SplitLines(OutSoFar()).size() >= std::size_t{kFiles + 1 + kFiles / 4}; }));
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
    // The outputs are those a batch of the final files makes.
    Names batch = Args({options, {"--output-dir", "ref"}});
    for (const std::string& name : FolderListing(Dir() / "in"))
        batch.push_back("in/" + name);
    EXPECT_EQ(Run(batch).err, refused);
    Names written = FolderListing(Dir() / "out");
    EXPECT_EQ(std::erase(written, kState), 1u);
    EXPECT_EQ(written, FolderListing(Dir() / "ref"));
    for (const std::string& name : written)
        EXPECT_TRUE(ReadBytes(Dir() / "out" / name) == ReadBytes(Dir() / "ref" / name)) << name;

    // A new run converts nothing that was converted and has not changed since; one with other
    // options converts everything again.
    for (const bool other : {false, true}) {
        SCOPED_TRACE(other ? "other options" : "same options");
        const Names more = other ? Names{"--description", "other"} : Names{};
        const pid_t again = Start(Args({options, more, {"--watch", "in", "--output-dir", "out"}}));
        if (other)
            EXPECT_TRUE(
                WaitFor([&] { return SplitLines(OutSoFar()).size() >= std::size_t{kFiles + 1}; }));
        else
            std::this_thread::sleep_for(1s);
        ::kill(again, SIGTERM);
        const RunResult next = Finish(again);
        EXPECT_EQ(next.signal, SIGTERM);
        if (!other) {
            EXPECT_EQ(next.out, "");
        }
    }
}

} // namespace
} // namespace trv::clitest
