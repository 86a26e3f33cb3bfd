// A large batch on several threads says and writes exactly what it says and writes one file
// after the other: the same messages in the same order, the same outputs, the same status,
// also where one file's outcome depends on the files before it.
#include "CliTestSupport.h"

#include <map>

namespace trv::clitest {
namespace {

constexpr int kFiles = 2000;

std::map<std::string, std::string> Snapshot(const fs::path& folder)
{
    std::map<std::string, std::string> files;
    for (const auto& entry : fs::directory_iterator(folder))
        files[entry.path().filename().string()] = ReadBytes(entry.path());
    return files;
}

class ParallelBatch : public ConverterTest {
  protected:
    // kFiles inputs in "in" from three samples, with bad files, a file whose plot cannot be
    // drawn and the cases where the first file of a name wins sprinkled in. Returns the
    // arguments naming them, in order.
    std::vector<std::string> MakeInputs()
    {
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
        return files;
    }

    // Runs in a fresh "out" (with the one input that lives there), then moves it to `keep`.
    RunResult RunInto(const std::string& keep, std::vector<std::string> args)
    {
        fs::create_directories(Dir() / "out");
        fs::copy_file(DataFile("ha1001.spm"), Dir() / "out/s1500.exp");
        const RunResult run = Run(std::move(args));
        fs::rename(Dir() / "out", Dir() / keep);
        return run;
    }
};

TEST_F(ParallelBatch, MessagesOutputsAndStatusAreThoseOfTheSequentialRun)
{
    const std::vector<std::string> files = MakeInputs();
    const Names args =
        Args({{"--output-dir", "out", "--ascii", "channel", "--plot", "40x30"}, files});

    const RunResult one = RunInto("out-1", Args({{"--jobs", "1"}, args}));
    const RunResult four = RunInto("out-4", Args({{"--jobs", "4"}, args}));

    EXPECT_EQ(four.status, one.status);
    EXPECT_EQ(four.out, one.out);
    EXPECT_EQ(four.err, one.err);
    const auto written = Snapshot(Dir() / "out-1");
    EXPECT_TRUE(Snapshot(Dir() / "out-4") == written) << "the outputs differ";

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

TEST_F(ParallelBatch, PrintedLinesComeInTheOrderOfTheFiles)
{
    const std::vector<std::string> files = MakeInputs();
    // A fit takes milliseconds: the calibrations run over the first files only, of which
    // every third is a reference spectrum.
    const std::vector<std::string> firstFiles(files.begin(), files.begin() + 120);
    struct Case {
        const char* mode;
        const std::vector<std::string>* named;
        std::size_t leastLines;
    };
    for (const auto& [mode, named, leastLines] :
         {Case{"--info", &files, kFiles - 10}, Case{"--find-fold", &files, kFiles - 10},
          Case{"--calibrate", &firstFiles, 35}}) {
        SCOPED_TRACE(mode);
        const RunResult one = RunInto("out-1", Args({{mode, "--jobs", "1"}, *named}));
        const RunResult three = RunInto("out-3", Args({{mode, "--jobs", "3"}, *named}));
        EXPECT_EQ(three.status, one.status);
        EXPECT_EQ(three.out, one.out);
        EXPECT_EQ(three.err, one.err);
        EXPECT_GT(SplitLines(one.out).size(), leastLines);
        fs::remove_all(Dir() / "out-1");
        fs::remove_all(Dir() / "out-3");
    }
}

} // namespace
} // namespace trv::clitest
