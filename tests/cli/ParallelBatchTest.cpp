// A large batch on several threads says and writes exactly what it says and writes one file
// after the other: the same messages in the same order, the same outputs, the same status,
// also where one file's outcome depends on the files before it.
#include "CliTestSupport.h"

#include <map>

namespace trv::clitest {
namespace {

constexpr int kFiles = 1000;

std::map<std::string, std::string> Snapshot(const fs::path& folder)
{
    std::map<std::string, std::string> files;
    for (const auto& entry : fs::directory_iterator(folder))
        files[entry.path().filename().string()] = ReadBytes(entry.path());
    return files;
}

TEST_F(ConverterTest, ParallelBatchSaysAndWritesWhatTheSequentialRunDoes)
{
    // kFiles inputs in "in" from three samples, with bad files, a file whose plot cannot be
    // drawn and the cases where the first file of a name wins sprinkled in, named in order.
    const std::string samples[] = {ReadBytes(DataFile("ha1234.spm")),
                                   ReadBytes(DataFile("hb2001.spm")),
                                   ReadBytes(DataFile("ha1001.spm"))};
    std::string zeros = samples[0]; // its counts are the last 4 x 1024 bytes
    std::fill(zeros.end() - 4096, zeros.end(), '\0');
    fs::create_directories(Dir() / "in");
    fs::create_directories(Dir() / "other");
    std::vector<std::string> files;
    for (int i = 0; i < kFiles; ++i) {
        const std::string name = "in/s" + std::to_string(1000 + i) + ".spm";
        std::string bytes = samples[i % 3];
        if (i % 397 == 5) bytes = "not a spectrum";
        if (i % 499 == 7) bytes = zeros;
        WriteBytes(Dir() / name, bytes);
        files.push_back(name);
        if (i == 100) files.push_back("missing.spm");
        if (i == 600) files.push_back("in/s1003.spm"); // named twice
        if (i % 100 == 30) // twice, close together: one worker may reach the second first
            files.push_back("in/s" + std::to_string(1000 + i - 14) + ".spm");
        if (i == 900) {
            // The same name from another folder, into the same output folder.
            WriteBytes(Dir() / "other/s1010.spm", samples[1]);
            files.push_back("other/s1010.spm");
        }
        if (i == 4) files.push_back("out/s1004.exp"); // made by this run just before
    }
    // Named early, so the output of that name is refused: it would replace an input.
    files.insert(files.begin() + 10, "out/s1500.exp");
    // Runs in a fresh "out" (with the one input that lives there), then moves it to `keep`.
    const auto runInto = [&](const std::string& keep, const Names& args) {
        fs::create_directories(Dir() / "out");
        fs::copy_file(DataFile("ha1001.spm"), Dir() / "out/s1500.exp");
        const RunResult run = Run(args);
        fs::rename(Dir() / "out", Dir() / keep);
        return run;
    };

    // A fit takes milliseconds: the calibrations run over the first files only, of which
    // every third is a reference spectrum.
    const std::vector<std::string> firstFiles(files.begin(), files.begin() + 120);
    const std::pair<Names, std::size_t> cases[] = {
        {Args({{"--output-dir", "out", "--ascii", "channel", "--plot", "40x30"}, files}), 0},
        {Args({{"--info"}, files}), kFiles - 10},
        {Args({{"--find-fold"}, files}), kFiles - 10},
        {Args({{"--calibrate"}, firstFiles}), 35},
    };
    for (const auto& [args, leastLines] : cases) {
        SCOPED_TRACE(args.front());
        const RunResult one = runInto("out-1", Args({{"--jobs", "1"}, args}));
        const RunResult three = runInto("out-3", Args({{"--jobs", "3"}, args}));
        EXPECT_EQ(three.status, one.status);
        EXPECT_EQ(three.out, one.out);
        EXPECT_EQ(three.err, one.err);
        EXPECT_GE(SplitLines(one.out).size(), leastLines);
        const auto written = Snapshot(Dir() / "out-1");
        EXPECT_TRUE(Snapshot(Dir() / "out-3") == written) << "the outputs differ";
        fs::remove_all(Dir() / "out-1");
        fs::remove_all(Dir() / "out-3");
        if (leastLines > 0) continue;

        // The cases are all there, so the comparison means something.
        EXPECT_EQ(one.status, 1);
        for (const char* expected :
             {"in/s1005.spm: Not a valid SPM file", "missing.spm: File not found",
              "in/s1007.spm: Invalid floating point operation",
              "in/s1003.spm: not converted: out/s1003.exp was already written for an earlier file",
              "in/s1016.spm: not converted: out/s1016.exp was already written",
              "other/s1010.spm: not converted: out/s1010.exp was already written",
              "in/s1500.spm: not converted: out/s1500.exp is an input of this run",
              "out/s1004.exp: Not a valid SPM file"}) {
            EXPECT_NE(one.err.find(expected), std::string::npos) << expected;
        }
        EXPECT_GT(written.size(), std::size_t{3 * kFiles - 40});
        EXPECT_TRUE(written.contains("s1007.txt") && !written.contains("s1007.bmp"));
    }
}

} // namespace
} // namespace trv::clitest
