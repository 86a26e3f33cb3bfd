// What the converter does per file: failures, where outputs go, the order of the header steps,
// --info. Runs the built executable.
#include "CliTestSupport.h"

#include "cli/Convert.h"

namespace trv::clitest {
namespace {

// Items of the parameter line (line 2) of an EXP file.
std::vector<std::string> ParameterLine(const fs::path& exp)
{
    const std::vector<std::string> lines = SplitLines(ReadBytes(exp));
    if (lines.size() < 2) return {};
    std::string line = lines[1];
    if (!line.empty() && line.back() == '\r') line.pop_back();
    std::vector<std::string> items;
    std::istringstream in(line);
    for (std::string item; std::getline(in, item, ' ');)
        items.push_back(item);
    return items;
}

constexpr std::size_t kChannelsItem = 0;
constexpr std::size_t kIgnoreLeftItem = 1;
constexpr std::size_t kIgnoreRightItem = 2;
constexpr std::size_t kFoldingItem = 3;

// --- failures --------------------------------------------------------------------------------

TEST_F(ConverterTest, MalformedFileIsReportedSkippedAndLeavesItsOldOutput)
{
    CopyInput("ha1234.spm");
    CopyInput("hb2001.spm");
    WriteBytes(Dir() / "bad.spm", std::string(3500, '\0')); // PCA2 with a negative header
    WriteBytes(Dir() / "bad.exp", "an earlier conversion\r\n");

    const RunResult run = Run({"ha1234.spm", "bad.spm", "hb2001.spm", "missing.spm"});

    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.out, "");
    const std::vector<std::string> errors = SplitLines(run.err);
    ASSERT_EQ(errors.size(), 2u) << run.err;
    EXPECT_TRUE(errors[0].starts_with("bad.spm: ")) << errors[0];
    EXPECT_GT(errors[0].size(), std::string("bad.spm: ").size());
    EXPECT_EQ(errors[1], "missing.spm: File not found");
    EXPECT_EQ(ReadBytes(Dir() / "bad.exp"), "an earlier conversion\r\n");
    EXPECT_EQ(ReadBytes(Dir() / "ha1234.exp"), ReadBytes(DataFile("default-ha1234.exp")));
    EXPECT_TRUE(fs::exists(Dir() / "hb2001.exp"));
    EXPECT_FALSE(fs::exists(Dir() / "missing.exp"));
}

TEST_F(ConverterTest, CountBlockOutsideTheFileFailsEveryBrokenShape)
{
    const std::string marker = "pca3.exe";
    auto withMarker = [&](std::size_t size) {
        std::string bytes(size, '\0');
        bytes.replace(100, marker.size(), marker);
        return bytes;
    };
    const std::vector<std::pair<std::string, std::string>> broken = {
        {"empty.spm", ""},
        {"short2.spm", std::string(2047, 'x')}, // PCA2, 512 channels, 2048 bytes needed
        {"neg2.spm", std::string(4095, 'x')},   // PCA2, 1024 channels, header < 0
        {"short3.spm", withMarker(2497)},       // PCA3, 450 + 2048 needed
        {"short3big.spm", withMarker(4545)},    // PCA3, 450 + 4096 needed
    };
    std::vector<std::string> args;
    for (const auto& [name, bytes] : broken) {
        WriteBytes(Dir() / name, bytes);
        args.push_back(name);
    }

    const RunResult run = Run(args);

    EXPECT_EQ(run.status, 1);
    const std::vector<std::string> errors = SplitLines(run.err);
    ASSERT_EQ(errors.size(), broken.size()) << run.err;
    for (std::size_t i = 0; i < broken.size(); ++i) {
        EXPECT_TRUE(errors[i].starts_with(broken[i].first + ": ")) << errors[i];
    }
    for (const std::string& name : FolderListing(Dir())) {
        EXPECT_FALSE(name.ends_with(".exp")) << name;
    }
}

TEST_F(ConverterTest, SmallestSoundFilesOfEachShapeConvert)
{
    std::string pca3(2498, '\0');
    pca3.replace(10, 8, "pca3.exe");
    WriteBytes(Dir() / "p3.spm", pca3);
    WriteBytes(Dir() / "p2.spm", std::string(2048, '\0')); // header length 0
    WriteBytes(Dir() / "p2big.spm", std::string(4096, '\0'));

    const RunResult run = Run({"--no-guess", "p3.spm", "p2.spm", "p2big.spm"});

    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(SplitLines(ReadBytes(Dir() / "p3.exp")).size(), 2u + 64u);
    EXPECT_EQ(SplitLines(ReadBytes(Dir() / "p2.exp")).size(), 2u + 64u);
    EXPECT_EQ(SplitLines(ReadBytes(Dir() / "p2big.exp")).size(), 2u + 64u); // pairs added
}

TEST_F(ConverterTest, VelocityTableWithAFieldThatIsNoNumberFailsAndLeavesNoTable)
{
    CopyInput("ha1234.spm");
    CopyInput("hb2001.spm");

    const RunResult run =
        Run({"--ascii", "velocity", "--zero-speed", "abc", "ha1234.spm", "hb2001.spm"});

    EXPECT_EQ(run.status, 1);
    const std::vector<std::string> errors = SplitLines(run.err);
    ASSERT_EQ(errors.size(), 2u) << run.err;
    EXPECT_TRUE(errors[0].starts_with("ha1234.spm: 'abc")) << errors[0];
    EXPECT_TRUE(errors[0].ends_with("' is not a valid floating point value")) << errors[0];
    EXPECT_TRUE(errors[1].starts_with("hb2001.spm: 'abc")) << errors[1];
    EXPECT_FALSE(fs::exists(Dir() / "ha1234.txt"));
    EXPECT_FALSE(fs::exists(Dir() / "hb2001.txt"));
    // The EXP file comes first and stands.
    EXPECT_TRUE(fs::exists(Dir() / "ha1234.exp"));
    EXPECT_EQ(FolderListing(Dir()),
              (std::vector<std::string>{"ha1234.exp", "ha1234.spm", "hb2001.exp", "hb2001.spm"}));
}

TEST_F(ConverterTest, ChannelTableDoesNotConvertTheVelocityFields)
{
    CopyInput("hb2001.spm");

    const RunResult run =
        Run({"--ascii", "channel", "--zero-speed", "abc", "--calibration", "x", "hb2001.spm"});

    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(ReadBytes(Dir() / "hb2001.txt"), ReadBytes(DataFile("channel-hb2001.txt")));
}

TEST_F(ConverterTest, BadCalibrationFileStopsBeforeAnyConversion)
{
    CopyInput("ha1234.spm");

    const RunResult run = Run({"ha1234.spm", "--cal", "nope.cal"});

    EXPECT_EQ(run.status, 2);
    EXPECT_EQ(run.err, "nope.cal: File not found\n");
    EXPECT_EQ(FolderListing(Dir()), (std::vector<std::string>{"ha1234.spm"}));
}

// --- where outputs go --------------------------------------------------------------------------

TEST_F(ConverterTest, OutputDirReceivesBothFilesAndNothingIsWrittenBesideTheInput)
{
    CopyInput("ha1234.spm", "in/ha1234.spm");
    fs::create_directories(Dir() / "out");

    const RunResult run =
        Run({"--output-dir", "out/", "--ascii", "velocity", "--mode", "mean", "in/ha1234.spm"});

    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(FolderListing(Dir() / "in"), (std::vector<std::string>{"ha1234.spm"}));
    EXPECT_EQ(FolderListing(Dir() / "out"), (std::vector<std::string>{"ha1234.exp", "ha1234.txt"}));
    EXPECT_EQ(ReadBytes(Dir() / "out/ha1234.txt"), ReadBytes(DataFile("velocity-mean-ha1234.txt")));
    // Line 1 (79 characters and CR LF) carries the guess; the rest is the mean-mode file.
    EXPECT_EQ(ReadBytes(Dir() / "out/ha1234.exp").substr(81),
              ReadBytes(DataFile("mean-noguess-ha1234.exp")).substr(81));
}

TEST_F(ConverterTest, MissingOutputDirFailsEachFileWithTheTargetNamed)
{
    CopyInput("ha1234.spm");

    const RunResult run = Run({"--output-dir=nodir", "ha1234.spm"});

    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.err, "nodir/ha1234.exp: File not found\n");
    EXPECT_EQ(FolderListing(Dir()), (std::vector<std::string>{"ha1234.spm"}));
}

TEST_F(ConverterTest, ExistingOutputIsReplaced)
{
    CopyInput("ha1234.spm");
    WriteBytes(Dir() / "ha1234.exp", std::string(20000, 'z'));

    const RunResult run = Run({"ha1234.spm"});

    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(ReadBytes(Dir() / "ha1234.exp"), ReadBytes(DataFile("default-ha1234.exp")));
    EXPECT_EQ(FolderListing(Dir()), (std::vector<std::string>{"ha1234.exp", "ha1234.spm"}));
}

TEST_F(ConverterTest, NoExpWritesOnlyWhatIsAskedFor)
{
    CopyInput("hb2001.spm");

    RunResult run = Run({"--no-exp", "hb2001.spm"});
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(FolderListing(Dir()), (std::vector<std::string>{"hb2001.spm"}));

    run = Run({"--no-exp", "--ascii", "channel", "hb2001.spm"});
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(FolderListing(Dir()), (std::vector<std::string>{"hb2001.spm", "hb2001.txt"}));
}

// --- order of the header steps -----------------------------------------------------------------

struct OrderCase {
    const char* what;
    std::vector<std::string> options;
    std::size_t item;
    const char* expected;
};

void PrintTo(const OrderCase& c, std::ostream* os)
{
    *os << c.what;
}

class HeaderStepOrder : public ConverterTest, public ::testing::WithParamInterface<OrderCase> {};

TEST_P(HeaderStepOrder, FieldTakesTheExpectedText)
{
    CopyInput("ha1234.spm");
    CopyInput("ha1024.cal");
    std::vector<std::string> args = GetParam().options;
    args.push_back("ha1234.spm");

    const RunResult run = Run(args);

    ASSERT_EQ(run.status, 0) << run.err;
    const std::vector<std::string> items = ParameterLine(Dir() / "ha1234.exp");
    ASSERT_GT(items.size(), GetParam().item);
    EXPECT_EQ(items[GetParam().item], GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, HeaderStepOrder,
    ::testing::Values(
        OrderCase{"no mode keeps the header", {}, kChannelsItem, "512"},
        OrderCase{"mode 1024 reaction", {"--mode", "1024"}, kIgnoreRightItem, "503"},
        OrderCase{"mode 1024 re-flows folding", {"--mode", "1024"}, kFoldingItem, "5120.000"},
        OrderCase{"mode add reaction", {"--mode", "add"}, kFoldingItem, "512.0000"},
        OrderCase{"folding fitted to the 512 mask",
                  {"--folding-channel", "1024.0000"},
                  kFoldingItem,
                  "102.0000"},
        OrderCase{"mode comes before fields whatever the position",
                  {"--folding-channel", "1024.0000", "--mode", "1024"},
                  kFoldingItem,
                  "1024.0000"},
        OrderCase{
            "calibration under the 512 mask", {"--cal", "ha1024.cal"}, kFoldingItem, "102.5000"},
        OrderCase{"calibration under the mask the mode set",
                  {"--cal", "ha1024.cal", "--mode", "1024"},
                  kFoldingItem,
                  "1023.5000"},
        OrderCase{"fields come after the calibration",
                  {"--channels", "300", "--cal", "ha1024.cal"},
                  kChannelsItem,
                  "300"},
        OrderCase{"fields come after the mode",
                  {"--ignore-right", "7", "--mode", "mean"},
                  kIgnoreRightItem,
                  "007"},
        OrderCase{"later field option wins",
                  {"--ignore-left=1", "--ignore-left", "22"},
                  kIgnoreLeftItem,
                  "022"}));

TEST_F(ConverterTest, ValueMayBeginWithADashAndFilesMayFollowDoubleDash)
{
    CopyInput("ha1234.spm", "--odd.spm");

    const RunResult run = Run({"--description", "-5 K run", "--", "--odd.spm"});

    ASSERT_EQ(run.status, 0) << run.err;
    const std::string exp = ReadBytes(Dir() / "--odd.exp");
    EXPECT_TRUE(exp.starts_with("H        -5 K run ")) << exp.substr(0, 80);
}

// --- --info ------------------------------------------------------------------------------------

TEST_F(ConverterTest, InfoPrintsSixLinesPerFileAndWritesNothing)
{
    CopyInput("ha1234.spm");
    CopyInput("ab.spm");
    CopyInput("hb2001.spm");

    const RunResult run = Run({"--info", "ab.spm", "hb2001.spm", "nothere.spm", "ha1234.spm"});

    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.err, "nothere.spm: File not found\n");
    const std::vector<std::string> lines = SplitLines(run.out);
    ASSERT_EQ(lines.size(), 18u) << run.out;
    // A PCA2 file whose second stamp does not decode shows both raw.
    const std::vector<std::string> ab(lines.begin(), lines.begin() + 6);
    EXPECT_EQ(ab, (std::vector<std::string>{"ab.spm", "2560 bytes", "512 channels",
                                            "10:00:00    Mar  1  2002", "11:00:00    feb 10  2002",
                                            "Mode : PCA2  (Header: 512)"}));
    // PCA3 stamps are shown as stored, up to a zero byte.
    const std::vector<std::string> pca3(lines.begin() + 6, lines.begin() + 12);
    EXPECT_EQ(pca3, (std::vector<std::string>{"hb2001.spm", "2600 bytes", "512 channels",
                                              "17-Mar-2003", "10:", "Mode : PCA3  (Header: 450)"}));
    // Decoded stamps follow the user's formats; only their time is fixed here.
    EXPECT_EQ(lines[12], "ha1234.spm");
    EXPECT_EQ(lines[13], "4608 bytes");
    EXPECT_EQ(lines[14], "1024 channels");
    EXPECT_NE(lines[15], "12:34:56    Jan  5  2001");
    EXPECT_NE(lines[15].find("12:34:56"), std::string::npos) << lines[15];
    EXPECT_EQ(lines[17], "Mode : PCA2  (Header: 512)");
    EXPECT_EQ(FolderListing(Dir()),
              (std::vector<std::string>{"ab.spm", "ha1234.spm", "hb2001.spm"}));
}

TEST_F(ConverterTest, InfoShowsDecodedStampsInTheGivenFormats)
{
    const fs::path input = CopyInput("ha1234.spm");
    std::ostringstream out;
    std::ostringstream err;

    const int status = RunConvert({"--info", input.string()}, out, err, LocaleFormats::Fixed());

    EXPECT_EQ(status, 0) << err.str();
    EXPECT_EQ(out.str(), "ha1234.spm\n4608 bytes\n1024 channels\n05/01/2001 12:34:56\n"
                         "29/02/2000 07:08:09\nMode : PCA2  (Header: 512)\n");
}

TEST_F(ConverterTest, TableUsesTheGivenDecimalSeparator)
{
    const fs::path input = CopyInput("ha1234.spm");
    LocaleFormats comma = LocaleFormats::Fixed();
    comma.decimalSeparator = ',';
    std::ostringstream out;
    std::ostringstream err;

    const int status =
        RunConvert({"--no-exp", "--ascii", "velocity", input.string()}, out, err, comma);

    EXPECT_EQ(status, 0) << err.str();
    const std::string table = ReadBytes(Dir() / "ha1234.txt");
    EXPECT_TRUE(table.starts_with("-11,6928\t7\r\n-11,60145\t0\r\n")) << table.substr(0, 40);
}

} // namespace
} // namespace trv::clitest

namespace trv::clitest {
namespace {

TEST_F(ConverterTest, SameNameFromTwoFoldersIntoOneOutputFolderIsNotLost)
{
    CopyInput("ha1234.spm");
    fs::create_directory(Dir() / "second");
    fs::create_directory(Dir() / "out");
    fs::copy_file(Dir() / "ha1234.spm", Dir() / "second" / "ha1234.spm");

    const RunResult run = Run({"--output-dir", "out", "ha1234.spm", "second/ha1234.spm"});

    EXPECT_EQ(run.status, 1);
    EXPECT_TRUE(run.err.starts_with("second/ha1234.spm: not converted: out/ha1234.exp"))
        << run.err;
    EXPECT_EQ(ReadBytes(Dir() / "out" / "ha1234.exp"), ReadBytes(DataFile("default-ha1234.exp")));
}

}  // namespace
}  // namespace trv::clitest
