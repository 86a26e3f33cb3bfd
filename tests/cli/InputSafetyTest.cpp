// What the converter must never do to the files it is given: replace one with an output,
// write one output twice under two spellings, wait on a pipe, or put raw control bytes from a
// name or a header onto the terminal.
#include "CliTestSupport.h"

#include <map>
#include <sys/stat.h>

namespace trv::clitest {
namespace {

using namespace std::chrono_literals;
using namespace std::string_literals;

struct ReplaceCase {
    const char* name;
    std::vector<std::string> args;
    Names errors;
    Names converted; // outputs that must exist afterwards
};

void PrintTo(const ReplaceCase& c, std::ostream* os)
{
    *os << c.name;
}

class OutputNeverReplacesAnInput : public ConverterTest,
                                   public ::testing::WithParamInterface<ReplaceCase> {};

TEST_P(OutputNeverReplacesAnInput, RefusesThatOutputConvertsTheRestAndExitsOne)
{
    // h.exp is an earlier --mode 1024 conversion, long enough to read as a spectrum.
    CopyInput("ha1234.spm", "h.spm");
    CopyInput("hb2001.spm", "other.spm");
    ASSERT_EQ(Run({"--mode", "1024", "h.spm"}).status, 0);
    ASSERT_GT(fs::file_size(Dir() / "h.exp"), 4096u);
    CopyInput("ha1234.spm", "x.exp");
    CopyInput("ha1234.spm", "t.txt");
    CopyInput("ha1234.spm", "d1/y.exp");
    CopyInput("ha1234.spm", "d1/y.spm");
    fs::create_directory_symlink("d1", Dir() / "l1");
    WriteBytes(Dir() / "c.exp", ReadBytes(DataFile("ha1024.cal")));
    std::map<std::string, std::string> before;
    for (const auto& entry : fs::recursive_directory_iterator(Dir()))
        if (entry.is_regular_file()) before[entry.path().string()] = ReadBytes(entry.path());

    const RunResult run = Run(GetParam().args);

    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(SplitLines(run.err), GetParam().errors);
    for (const auto& [path, bytes] : before)
        EXPECT_TRUE(ReadBytes(path) == bytes) << path << " was replaced";
    for (const std::string& output : GetParam().converted)
        EXPECT_TRUE(fs::exists(Dir() / output)) << output;
}

INSTANTIATE_TEST_SUITE_P(
    Cases, OutputNeverReplacesAnInput,
    ::testing::Values(ReplaceCase{"SecondRunOverEverything",
                                  {"--mode", "1024", "h.exp", "h.spm", "other.spm"},
                                  {"h.exp: not converted: h.exp is an input of this run",
                                   "h.spm: not converted: h.exp is an input of this run"},
                                  {"other.exp"}},
                      ReplaceCase{"SpectrumNamedLikeItsOutput",
                                  {"x.exp", "other.spm"},
                                  {"x.exp: not converted: x.exp is an input of this run"},
                                  {"other.exp"}},
                      ReplaceCase{"TableOverItsInput",
                                  {"--ascii", "channel", "t.txt", "other.spm"},
                                  {"t.txt: not converted: t.txt is an input of this run"},
                                  {"t.exp", "other.exp", "other.txt"}},
                      ReplaceCase{"InputThroughALinkedFolder",
                                  {"d1/y.exp", "l1/y.spm"},
                                  {"d1/y.exp: not converted: d1/y.exp is an input of this run",
                                   "l1/y.spm: not converted: l1/y.exp is an input of this run"},
                                  {}}),
    [](const auto& info) { return std::string(info.param.name); });

// The calibration file is an input too, however it is spelled.
TEST_F(ConverterTest, CalibrationFileIsNeverAnOutput)
{
    CopyInput("ha1234.spm", "c.spm");
    CopyInput("ha1024.cal", "c.exp");

    const RunResult run = Run({"--cal", "./c.exp", "c.spm"});

    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.err, "c.spm: not converted: c.exp is an input of this run\n");
    EXPECT_TRUE(ReadBytes(Dir() / "c.exp") == ReadBytes(DataFile("ha1024.cal")));
}

// Two spellings of one folder are one folder: the second file's output is refused and the
// first file's output stands.
TEST_F(ConverterTest, OneOutputUnderTwoSpellingsIsWrittenOnce)
{
    CopyInput("ha1234.spm", "d1/x.spm");
    CopyInput("hb2001.spm", "d1/x.dat");
    CopyInput("hb2001.spm", "d2/x.spm");
    fs::create_directory_symlink("d1", Dir() / "l1");
    ASSERT_EQ(Run({"--no-guess", "d1/x.spm"}).status, 0);
    const std::string first = ReadBytes(Dir() / "d1/x.exp");
    fs::remove(Dir() / "d1/x.exp");
    fs::create_directories(Dir() / "out");

    const std::pair<std::vector<std::string>, std::string> cases[] = {
        {{"d1/x.spm", "./d1/x.dat"}, "./d1/x.exp"},
        {{"d1/x.spm", "l1/x.dat"}, "l1/x.exp"},
        {{"d1/x.spm", "d2/../d1//x.dat"}, "d2/../d1//x.exp"},
        {{"d1/x.spm", (Dir() / "d1/x.dat").string()}, (Dir() / "d1/x.exp").string()},
    };
    for (const auto& [args, second] : cases) {
        SCOPED_TRACE(args.back());
        const RunResult run = Run(Args({{"--no-guess"}, args}));

        EXPECT_EQ(run.status, 1);
        EXPECT_EQ(run.err, args.back() + ": not converted: " + second +
                               " was already written for an earlier file of this run\n");
        EXPECT_TRUE(ReadBytes(Dir() / "d1/x.exp") == first) << "the first file's output stands";
        fs::remove(Dir() / "d1/x.exp");
    }
}

// A pipe, a device: refused at once with their kind named, and the batch goes on.
TEST_F(ConverterTest, NonRegularInputsAreRefusedWithoutWaiting)
{
    CopyInput("ha1234.spm", "a.spm");
    CopyInput("hb2001.spm", "b.spm");
    ASSERT_EQ(::mkfifo((Dir() / "p.spm").c_str(), 0644), 0);
    ASSERT_EQ(::mkfifo((Dir() / "p.cal").c_str(), 0644), 0);

    const RunResult run = Run({"a.spm", "p.spm", "/dev/null", "b.spm"}, 20s);

    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.err, "p.spm: Cannot open p.spm: it is a named pipe (FIFO), not a regular file\n"
                       "/dev/null: Cannot open null: it is a character device, not a regular "
                       "file\n");
    EXPECT_TRUE(fs::exists(Dir() / "a.exp"));
    EXPECT_TRUE(fs::exists(Dir() / "b.exp"));

    const RunResult cal = Run({"--cal", "p.cal", "a.spm"}, 20s);

    EXPECT_EQ(cal.status, 2);
    EXPECT_EQ(cal.err, "p.cal: Cannot open p.cal: it is a named pipe (FIFO), not a regular file\n");
    EXPECT_TRUE(fs::is_fifo(Dir() / "p.spm"));
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

    const RunResult fold = Run({"--find-fold", "line\nfeed.spm"});
    EXPECT_TRUE(fold.out.starts_with("line\\x0Afeed.spm: ")) << fold.out;

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
