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

TEST(LoadCalibrationFile, SetsTheFourFieldsOnlyUnderTheMaskInForce)
{
    // What the header held besides these four is kept: the bad-calibration corpus checks that.
    ExpHeader h;
    LoadCalibrationFile(std::string(TRV_TEST_DATA_DIR) + "/standard.cal", h);
    EXPECT_EQ(FieldsOf(h), (Fields{"1024", "0.09135", "511.2500", "127.75"}));

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
