// What the converter does per file: failures, where outputs go, the order of the header steps,
// --info.
#include "CliTestSupport.h"

#include "cli/Convert.h"

namespace trv::clitest {
namespace {

TEST_F(ConverterTest, MalformedFileIsReportedSkippedAndLeavesItsOldOutput)
{
    CopyInput("ha1234.spm");
    CopyInput("hb2001.spm");
    WriteBytes(Dir() / "ha1234.exp", std::string(20000, 'z')); // replaced
    WriteBytes(Dir() / "bad.spm", std::string(3500, '\0'));    // PCA2 with a negative header
    WriteBytes(Dir() / "bad.exp", "an earlier conversion\r\n");

    const RunResult run = Run({"ha1234.spm", "bad.spm", "hb2001.spm", "missing.spm"});

    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.out, "");
    const Names errors = SplitLines(run.err);
    ASSERT_EQ(errors.size(), 2u) << run.err;
    EXPECT_TRUE(errors[0].starts_with("bad.spm: Not a valid SPM file")) << errors[0];
    EXPECT_EQ(errors[1], "missing.spm: File not found");
    EXPECT_EQ(ReadBytes(Dir() / "bad.exp"), "an earlier conversion\r\n");
    EXPECT_EQ(ReadBytes(Dir() / "ha1234.exp"), ReadBytes(DataFile("default-ha1234.exp")));
    EXPECT_EQ(FolderListing(Dir()), (Names{"bad.exp", "bad.spm", "ha1234.exp", "ha1234.spm",
                                           "hb2001.exp", "hb2001.spm"}));
}

TEST_F(ConverterTest, VelocityTableNeedsNumbersTheChannelTableDoesNot)
{
    CopyInput("ha1234.spm");
    CopyInput("hb2001.spm");

    const RunResult run =
        Run({"--ascii", "velocity", "--zero-speed", "abc", "ha1234.spm", "hb2001.spm"});

    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(SplitLines(run.err).size(), 2u) << run.err; // the message: see InputSafetyTest
    // The EXP files come first and stand; no table.
    EXPECT_EQ(FolderListing(Dir()),
              (Names{"ha1234.exp", "ha1234.spm", "hb2001.exp", "hb2001.spm"}));

    const RunResult channel =
        Run({"--ascii", "channel", "--zero-speed", "abc", "--calibration", "x", "hb2001.spm"});
    EXPECT_EQ(channel.status, 0) << channel.err;
    EXPECT_EQ(ReadBytes(Dir() / "hb2001.txt"), ReadBytes(DataFile("channel-hb2001.txt")));
}

TEST_F(ConverterTest, OutputDirReceivesBothFilesAndNothingIsWrittenBesideTheInput)
{
    CopyInput("ha1234.spm", "in/ha1234.spm");
    fs::create_directories(Dir() / "out");

    const RunResult run =
        Run({"--output-dir", "out/", "--ascii", "velocity", "--mode", "mean", "in/ha1234.spm"});

    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(FolderListing(Dir() / "in"), (Names{"ha1234.spm"}));
    EXPECT_EQ(FolderListing(Dir() / "out"), (Names{"ha1234.exp", "ha1234.txt"}));
    // Line 1 (79 characters and CR LF) carries the guess; the rest is the mean-mode file.
    EXPECT_EQ(ReadBytes(Dir() / "out/ha1234.exp").substr(81),
              ReadBytes(DataFile("mean-noguess-ha1234.exp")).substr(81));

    // A folder that is not there (or not a folder) is named, for every file, before anything
    // is written; the run goes on with the other files.
    const RunResult missing = Run({"--output-dir=nodir", "in/ha1234.spm", "in/gone.spm"});
    EXPECT_EQ(missing.status, 1);
    EXPECT_EQ(missing.err, "in/ha1234.spm: the output folder nodir does not exist\n"
                           "in/gone.spm: File not found\n");
    const RunResult notAFolder = Run({"--output-dir=in/ha1234.spm", "in/ha1234.spm"});
    EXPECT_EQ(notAFolder.err, "in/ha1234.spm: the output folder in/ha1234.spm is not a folder\n");
    EXPECT_EQ(FolderListing(Dir()), (Names{"in", "out"}));
}

TEST_F(ConverterTest, ValueMayBeginWithADashAndFilesMayFollowDoubleDash)
{
    CopyInput("ha1234.spm", "--odd.spm");
    const RunResult run = Run({"--description", "-5 K run", "--", "--odd.spm"});
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_TRUE(ReadBytes(Dir() / "--odd.exp").starts_with("H        -5 K run "));
}

TEST_F(ConverterTest, InfoPrintsSixLinesPerFileAndWritesNothing)
{
    CopyInput("ab.spm");
    CopyInput("hb2001.spm");

    const RunResult run = Run({"--info", "ab.spm", "nothere.spm", "hb2001.spm"});

    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.err, "nothere.spm: File not found\n");
    // A PCA2 file whose second stamp does not decode shows both raw; PCA3 stamps as stored,
    // up to a zero byte.
    EXPECT_EQ(
        SplitLines(run.out),
        (Names{"ab.spm", "2560 bytes", "512 channels", "10:00:00    Mar  1  2002",
               "11:00:00    feb 10  2002", "Mode : PCA2  (Header: 512)", "hb2001.spm", "2600 bytes",
               "512 channels", "17-Mar-2003", "10:", "Mode : PCA3  (Header: 450)"}));
    EXPECT_EQ(FolderListing(Dir()), (Names{"ab.spm", "hb2001.spm"}));
}

TEST_F(ConverterTest, InfoStampsAndTablesFollowTheGivenFormats)
{
    const fs::path input = CopyInput("ha1234.spm");
    LocaleFormats comma = LocaleFormats::Fixed();
    comma.decimalSeparator = ',';
    std::ostringstream out, err;

    EXPECT_EQ(RunConvert({"--info", input.string()}, out, err, LocaleFormats::Fixed()), 0);
    EXPECT_EQ(out.str(), "ha1234.spm\n4608 bytes\n1024 channels\n05/01/2001 12:34:56\n"
                         "29/02/2000 07:08:09\nMode : PCA2  (Header: 512)\n");
    EXPECT_EQ(RunConvert({"--no-exp", "--ascii", "velocity", input.string()}, out, err, comma), 0);
    EXPECT_EQ(err.str(), "");
    EXPECT_TRUE(ReadBytes(Dir() / "ha1234.txt").starts_with("-11,6928\t7\r\n-11,60145\t0\r\n"));
}

} // namespace
} // namespace trv::clitest
