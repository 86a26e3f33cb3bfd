// Bad and borderline calibration files through "Load header": each loads by the line rules or
// is refused with a message, and a refused file changes nothing.
#include "support/BadCorpus.h"
#include "support/FaultFolders.h"

#include "calibration/CalFileReader.h"
#include "exp/ExpFile.h"

#include <gtest/gtest.h>

#include <set>
#include <string>

namespace trv {
namespace {

namespace fs = std::filesystem;
using faults::ErrorOf;

// A masked field after an assignment: its mask's full width, every literal at its place.
void ExpectFitted(const MaskedField& field)
{
    const std::string& mask = field.Mask().Text();
    ASSERT_EQ(field.Text().size(), mask.size()) << "'" << field.Text() << "' under " << mask;
    for (std::size_t i = 0; i < mask.size(); ++i)
        EXPECT_TRUE(std::string("09L").find(mask[i]) != std::string::npos ||
                    field.Text()[i] == mask[i])
            << field.Text();
}

// The header as written, with the four calibration fields put back to what `before` held.
std::string OtherTexts(ExpHeader h, const ExpHeader& before)
{
    h.Channels = before.Channels;
    h.CalibrationConstant = before.CalibrationConstant;
    h.FoldingChannel = before.FoldingChannel;
    h.ZeroSpeedChannel = before.ZeroSpeedChannel;
    return FormatExpFile(h, {}, 0, 0);
}

void ExpectLoaded(const std::string& path, const CalibrationValues& values, bool wide)
{
    ExpHeader header;
    if (wide) ApplySaveAsModeChange(header, kSave1024);
    const ExpHeader before = header;
    ASSERT_EQ(ErrorOf([&] { LoadCalibrationFile(path, header); }), "(no error)");
    EXPECT_TRUE(header.Channels == values.channels);
    EXPECT_EQ(header.CalibrationConstant.Text(),
              FitToMask(header.CalibrationConstant.Mask(), values.calibrationConstant));
    ExpectFitted(header.FoldingChannel);
    ExpectFitted(header.ZeroSpeedChannel);
    EXPECT_EQ(header.FoldingChannel.Mask().Text(), before.FoldingChannel.Mask().Text());
    EXPECT_EQ(OtherTexts(header, before), FormatExpFile(before, {}, 0, 0));
}

TEST(BadCalibrationCorpus, EveryFileLoadsItsFourValuesByTheLineRules)
{
    const auto rows = corpus::Manifest("cal");
    ASSERT_GT(rows.size(), 250u) << "run tools/make-bad-corpus.py";
    std::set<std::string> listed;
    for (const auto& row : rows) {
        SCOPED_TRACE(row.file);
        listed.insert(row.file);
        ASSERT_EQ(row.expect.size(), 4u);
        const std::string path = corpus::Root() + "/" + row.file;
        const CalibrationValues v =
            ParseCalibration(corpus::ExactBytes(faults::ReadAll(path)).View());
        const std::vector<std::string> got = {v.channels, v.calibrationConstant, v.foldingChannel,
                                              v.zeroSpeedChannel};
        for (std::size_t i = 0; i < 4; ++i)
            EXPECT_EQ(got[i], corpus::Unescape(row.expect[i])) << "value " << i;
        ExpectLoaded(path, v, false);
        ExpectLoaded(path, v, true);
    }
    for (const auto& entry : fs::directory_iterator(corpus::Root() + "/cal"))
        EXPECT_TRUE(listed.count("cal/" + entry.path().filename().string()))
            << entry.path() << " is not in the manifest";
}

// Lines of a megabyte each are made at run time, never committed.
TEST(BadCalibrationCorpus, MegabyteLinesLoadWithTheMaskedFieldsCutToTheirWidth)
{
    faults::FaultyFolder folder;
    const std::string mega(1 << 20, '7'), path = folder.File("long.cal");
    const std::pair<std::string, std::string> cases[] = {
        // bytes, channels
        {mega + "\r\n" + mega + "\r\n" + mega + "\r\n" + mega + "\r\n" + mega +
             "\r\nc=512\r\nk=0.09135\r\nf=512.0000\r\nz=128.00\r\n",
         "512"},
        {"1\r\n2\r\n3\r\n4\r\n5\r\nc=" + mega + "\r\nk=" + mega + "." + mega + "\r\nf=" + mega +
             "\r\nz=" + mega + "\r\n",
         mega},
    };
    for (const auto& [bytes, channels] : cases) {
        SCOPED_TRACE(bytes.substr(0, 20));
        faults::WriteAll(path, bytes);
        const CalibrationValues values = ParseCalibration(bytes);
        EXPECT_TRUE(values.channels == channels);
        ExpectLoaded(path, values, false);
    }
    ExpHeader header; // a megabyte value is cut to the field's width
    faults::WriteAll(path, cases[1].first);
    LoadCalibrationFile(path, header);
    EXPECT_EQ(header.CalibrationConstant.Text(), "7.77777");
}

// Files over the calibration limit are refused before a byte is read, and the header keeps
// what it held.
TEST(BadCalibrationCorpus, FileOverTheLimitIsRefusedAndChangesNothing)
{
    faults::FaultyFolder folder;
    const std::string big = folder.File("big.cal");
    faults::WriteAll(big, "");
    fs::resize_file(big, (16u << 20) + 1); // sparse: one byte over the limit
    ExpHeader header;
    ApplySaveAsModeChange(header, kSave1024);
    const std::string before = FormatExpFile(header, {}, 0, 0);
    EXPECT_EQ(ErrorOf([&] { LoadCalibrationFile(big, header); }),
              "Cannot open big.cal: the file is 16777217 bytes long; files over 16777216 bytes "
              "are not read");
    EXPECT_EQ(FormatExpFile(header, {}, 0, 0), before);
}

} // namespace
} // namespace trv
