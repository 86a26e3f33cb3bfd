#include "support/FaultFolders.h"

#include "calibration/CalFileReader.h"
#include "exp/ExpFile.h"

#include <gtest/gtest.h>

#include <array>
#include <string>

namespace trv {
namespace {

using Fields = std::array<std::string, 4>; // channels, calibration, folding, zero speed

Fields FieldsOf(const ExpHeader& h)
{
    return {h.Channels, h.CalibrationConstant.Text(), h.FoldingChannel.Text(),
            h.ZeroSpeedChannel.Text()};
}

const std::string kHead = "l1\r\nl2\r\nl3\r\nl4\r\nl5\r\n";

TEST(ParseCalibration, ValuesByPositionAfterTheFirstEquals)
{
    // The line rules are pinned by the bad-calibration corpus; these are the values as the
    // 512-channel masks take them.
    const struct {
        std::string name, bytes;
        Fields want;
    } cases[] = {
        {"names ignored, order by position",
         kHead + "ZeroSpeed=256\r\nFolding=0.01\r\nCalib=100.0000\r\nChannels=64.00\r\n",
         {"256", "0.01   ", "100.0000", "64 .00"}},
        {"space after '=' is kept",
         kHead + "n= 512\r\nx= 0.09135\r\nf= 512.0000\r\nz= 128.00\r\n",
         {" 512", " .09135", " 51.0000", " 12.00"}},
        {"fewer than nine lines",
         kHead + "c=512\r\nk=0.0913\r\n",
         {"512", "0.0913 ", "   .    ", "   .  "}},
    };
    for (const auto& c : cases) {
        ExpHeader h;
        ApplyCalibration(h, ParseCalibration(c.bytes));
        EXPECT_EQ(FieldsOf(h), c.want) << c.name;
    }
    const auto raw = ParseCalibration(kHead + "a=b=c\r\n=\r\nnone\r\nz= 1 \r\n");
    EXPECT_EQ(
        (Fields{raw.channels, raw.calibrationConstant, raw.foldingChannel, raw.zeroSpeedChannel}),
        (Fields{"b=c", "", "none", " 1 "}));
}

TEST(LoadCalibrationFile, SetsTheFourFieldsOnlyUnderTheMaskInForce)
{
    ExpHeader h;
    GuessExpData(h, "ha1234.spm");
    h.Extra3.Assign("001.50");
    ExpHeader expected = h;
    LoadCalibrationFile(std::string(TRV_TEST_DATA_DIR) + "/standard.cal", h);
    EXPECT_EQ(FieldsOf(h), (Fields{"1024", "0.09135", "511.2500", "127.75"}));
    expected.Channels = h.Channels;
    expected.CalibrationConstant = h.CalibrationConstant;
    expected.FoldingChannel = h.FoldingChannel;
    expected.ZeroSpeedChannel = h.ZeroSpeedChannel;
    EXPECT_EQ(FormatExpFile(h, {}, 0, 0), FormatExpFile(expected, {}, 0, 0));

    faults::FaultyFolder dir;
    const std::string path = dir.File("1024.cal");
    faults::WriteAll(path, kHead + "C=1024\r\nK=0.04567\r\nF=1024.0000\r\nZ=256.00\r\n");
    ExpHeader h512, h1024;
    LoadCalibrationFile(path, h512);
    EXPECT_EQ(h512.FoldingChannel.Text(), "102.0000");
    ApplySaveAsModeChange(h1024, kSave1024);
    LoadCalibrationFile(path, h1024);
    EXPECT_EQ(FieldsOf(h1024), (Fields{"1024", "0.04567", "1024.0000", "256.00"}));
}

} // namespace
} // namespace trv
