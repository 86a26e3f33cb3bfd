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

// A corpus calibration file: the conversion goes through and the EXP file's parameter line
// begins with the file's Channels value.
TEST_F(ConverterTest, CorpusCalibrationFilesAreAppliedWithoutACrash)
{
    const auto rows = corpus::OnePerExpectation("cal");
    ASSERT_GT(rows.size(), 2u);
    WriteBytes(Dir() / "s.spm", std::string(2560, '\x01'));
    for (const auto& row : rows) {
        SCOPED_TRACE(row.file);
        const RunResult run = Run({"--cal", corpus::Root() + "/" + row.file, "s.spm"});
        ASSERT_EQ(run.status, 0) << run.err;
        std::string channels = corpus::Unescape(row.expect[0]);
        channels.insert(0, 3 - std::min<std::size_t>(3, channels.size()), '0');
        // Line 1 is 79 characters and CR LF.
        EXPECT_EQ(ReadBytes(Dir() / "s.exp").substr(81, channels.size() + 1), channels + " ");
        fs::remove(Dir() / "s.exp");
    }
}

TEST_F(ConverterTest, CalibrationFileThatCannotBeReadStopsBeforeAnyConversion)
{
    WriteBytes(Dir() / "s.spm", std::string(2560, '\x01'));
    fs::create_directories(Dir() / "folder.cal");
    for (const auto& [cal, err] : {std::pair{"missing.cal", "missing.cal: File not found\n"},
                                   std::pair{"folder.cal", "folder.cal: File access denied\n"}}) {
        const RunResult run = Run({"s.spm", "--cal", cal});
        EXPECT_EQ(run.status, 2);
        EXPECT_EQ(run.err, err);
        EXPECT_FALSE(fs::exists(Dir() / "s.exp"));
    }
}

} // namespace
} // namespace trv::clitest
