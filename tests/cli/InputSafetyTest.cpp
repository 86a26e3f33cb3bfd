// What the converter must never do to the files it is given: replace one with an output,
// write one output twice under two spellings, or put raw control bytes from a name or a header
// onto the terminal. (Pipes are refused before a read: see the platform tests.)
#include "CliTestSupport.h"

#include <map>

namespace trv::clitest {
namespace {

using namespace std::string_literals;

// An output that would replace an input (an EXP file, a table, the calibration file, however
// spelled) is refused; the other files are converted and the run exits 1.
TEST_F(ConverterTest, OutputNeverReplacesAnInput)
{
    CopyInput("hb2001.spm", "other.spm");
    CopyInput("ha1234.spm", "t.txt");
    CopyInput("ha1234.spm", "d1/y.exp");
    CopyInput("ha1234.spm", "d1/y.spm");
    CopyInput("ha1234.spm", "c.spm");
    CopyInput("ha1024.cal", "c.exp");
    fs::create_directory_symlink("d1", Dir() / "l1");
    std::map<std::string, std::string> before;
    for (const auto& entry : fs::recursive_directory_iterator(Dir()))
        if (entry.is_regular_file()) before[entry.path().string()] = ReadBytes(entry.path());

    const struct {
        Names args;
        Names errors;
        Names converted; // outputs that must exist afterwards
    } cases[] = {
        {{"d1/y.exp", "l1/y.spm", "other.spm"},
         {"d1/y.exp: not converted: d1/y.exp is an input of this run",
          "l1/y.spm: not converted: l1/y.exp is an input of this run"},
         {"other.exp"}},
        {{"--ascii", "channel", "t.txt", "other.spm"},
         {"t.txt: not converted: t.txt is an input of this run"},
         {"t.exp", "other.txt"}},
        {{"--cal", "./c.exp", "c.spm"},
         {"c.spm: not converted: c.exp is an input of this run"},
         {}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.args.back());
        const RunResult run = Run(c.args);
        EXPECT_EQ(run.status, 1);
        EXPECT_EQ(SplitLines(run.err), c.errors);
        for (const auto& [path, bytes] : before)
            EXPECT_TRUE(ReadBytes(path) == bytes) << path << " was replaced";
        for (const std::string& output : c.converted)
            EXPECT_TRUE(fs::exists(Dir() / output)) << output;
    }
}

// Two spellings of one folder are one folder: the second file's output is refused and the
// first file's output stands.
TEST_F(ConverterTest, OneOutputUnderTwoSpellingsIsWrittenOnce)
{
    CopyInput("ha1234.spm", "d1/x.spm");
    CopyInput("hb2001.spm", "d1/x.dat");
    fs::create_directory_symlink("d1", Dir() / "l1");
    ASSERT_EQ(Run({"--no-guess", "d1/x.spm"}).status, 0);
    const std::string first = ReadBytes(Dir() / "d1/x.exp");
    fs::remove(Dir() / "d1/x.exp");

    const RunResult run = Run({"--no-guess", "d1/x.spm", "./l1/../l1//x.dat"});

    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.err, "./l1/../l1//x.dat: not converted: ./l1/../l1//x.exp was already written "
                       "for an earlier file of this run\n");
    EXPECT_TRUE(ReadBytes(Dir() / "d1/x.exp") == first) << "the first file's output stands";
}

// Control bytes from a file name, a header or a calibration file reach the terminal escaped:
// one --info file is six lines, and a NUL no longer cuts a message short.
TEST_F(ConverterTest, TerminalOutputShowsControlBytesEscaped)
{
    std::string spm = ReadBytes(DataFile("hb2001.spm"));
    spm.replace(386, 11, "17-\nMar\x1b[2J");
    WriteBytes(Dir() / "stamp.spm", spm);
    CopyInput("ha1234.spm", "line\nfeed.spm");
    WriteBytes(Dir() / "nul.cal", "1\r\n2\r\n3\r\n4\r\n5\r\n512\r\nc=0.09\r\nf=511\r\nz=1\0x\r\n"s);

    const RunResult info = Run({"--info", "stamp.spm", "line\nfeed.spm", "gone\x1b.spm"});

    EXPECT_EQ(info.status, 1);
    const Names lines = SplitLines(info.out);
    ASSERT_EQ(lines.size(), 12u) << info.out;
    EXPECT_EQ(lines[3], "17-\\x0AMar\\x1B[2J");
    EXPECT_EQ(lines[6], "line\\x0Afeed.spm");
    EXPECT_EQ(info.err, "gone\\x1B.spm: File not found\n");

    const RunResult table = Run({"--cal", "nul.cal", "--ascii", "velocity", "stamp.spm"});
    EXPECT_EQ(table.status, 1);
    EXPECT_TRUE(table.err.starts_with("stamp.spm: '1\\x00x")) << table.err;
    EXPECT_TRUE(table.err.ends_with("' is not a valid floating point value\n")) << table.err;

    // What is written keeps its bytes: the name guessed into the EXP header keeps its line feed.
    ASSERT_EQ(Run({"line\nfeed.spm"}).status, 0);
    EXPECT_EQ(ReadBytes(Dir() / "line\nfeed.exp").substr(0, 19), "H        LINE\nF:   ");
}

} // namespace
} // namespace trv::clitest
