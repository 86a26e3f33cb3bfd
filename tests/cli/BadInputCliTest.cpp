// Bad input through the built converter, one corpus file for each distinct outcome, in one
// batch: a refused file gets one "FILE: message" line and no output, an accepted one its EXP
// file, and the process ends with an exit code rather than a signal (the ASan build runs these
// too).
#include "CliTestSupport.h"

#include "support/BadCorpus.h"

#include <map>
#include <set>

namespace trv::clitest {
namespace {

TEST_F(ConverterTest, SpmCorpusInOneRunReportsEachRefusalAndConvertsTheRest)
{
    const auto rows = corpus::OnePerExpectation("spm");
    ASSERT_GT(rows.size(), 5u) << "run tools/make-bad-corpus.py";
    fs::create_directories(Dir() / "out");
    const fs::path huge = Dir() / "huge.spm"; // sparse: nothing is written
    WriteBytes(huge, "");
    fs::resize_file(huge, (std::uintmax_t{64} << 20) + 1);

    std::vector<std::string> args{"--output-dir", "out", huge.string()};
    std::map<std::string, std::string> refused; // argument -> message
    refused[huge.string()] = "Cannot open huge.spm: the file is 67108865 bytes long; files over "
                             "67108864 bytes are not read";
    std::set<std::string> accepted; // output names
    for (const auto& row : rows) {
        const std::string path = corpus::Root() + "/" + row.file;
        args.push_back(path);
        if (row.expect[0] == "error")
            refused[path] = row.expect[1];
        else
            accepted.insert(fs::path(row.file).stem().string() + ".exp");
    }

    const RunResult run = Run(args);

    ASSERT_EQ(run.status, 1) << "a signal shows as -1\n" << run.err.substr(0, 2000);
    EXPECT_EQ(run.out, "");
    std::map<std::string, std::string> reported;
    for (const std::string& line : SplitLines(run.err)) {
        const auto colon = line.find(".spm: ");
        ASSERT_NE(colon, std::string::npos) << line;
        EXPECT_TRUE(reported.emplace(line.substr(0, colon + 4), line.substr(colon + 6)).second)
            << "reported twice: " << line;
    }
    EXPECT_EQ(reported, refused);
    const Names outputs = FolderListing(Dir() / "out");
    EXPECT_EQ(std::set<std::string>(outputs.begin(), outputs.end()), accepted);
    for (const std::string& name : outputs) // two header lines, 512 values 8 to a line
        EXPECT_EQ(SplitLines(ReadBytes(Dir() / "out" / name)).size(), 2u + 64u) << name;
}

} // namespace
} // namespace trv::clitest
