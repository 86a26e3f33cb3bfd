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
    // Each value fitted to the mask in force, which the load leaves as it was.
    EXPECT_EQ(header.CalibrationConstant.Text(),
              FitToMask(before.CalibrationConstant.Mask(), values.calibrationConstant));
    EXPECT_EQ(header.FoldingChannel.Text(),
              FitToMask(before.FoldingChannel.Mask(), values.foldingChannel));
    EXPECT_EQ(header.ZeroSpeedChannel.Text(),
              FitToMask(before.ZeroSpeedChannel.Mask(), values.zeroSpeedChannel));
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
