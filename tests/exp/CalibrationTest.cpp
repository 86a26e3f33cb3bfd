#include "exp/Calibration.h"
#include "TempDir.h"
#include "exp/ExpFile.h"
#include "platform/AppError.h"

#include <gtest/gtest.h>

#include <string>

namespace trv {
namespace {

using testing::TempDir;
using testing::WriteBytes;

const std::string kHead = "l1\r\nl2\r\nl3\r\nl4\r\nl5\r\n";

// All sixteen texts, compared in one go.
std::string AllTexts(const ExpHeader& h)
{
    return FormatExpFile(h, {}, 0, 0);
}

struct Loaded {
    std::string channels;
    std::string calibration;
    std::string folding;
    std::string zeroSpeed;
};

void ExpectFields(const ExpHeader& h, const Loaded& want, const std::string& what)
{
    EXPECT_EQ(h.Channels, want.channels) << what;
    EXPECT_EQ(h.CalibrationConstant.Text(), want.calibration) << what;
    EXPECT_EQ(h.FoldingChannel.Text(), want.folding) << what;
    EXPECT_EQ(h.ZeroSpeedChannel.Text(), want.zeroSpeed) << what;
}

TEST(LoadCalibrationFile, StandardFileSetsTheFourFieldsOnly)
{
    ExpHeader h;
    GuessExpData(h, "ha1234.spm");
    h.Extra3.Assign("001.50");
    ExpHeader expected = h;
    expected.Channels = "1024";
    expected.CalibrationConstant.Assign("0.09135");
    expected.FoldingChannel.Assign("511.2500");
    expected.ZeroSpeedChannel.Assign("127.75");

    LoadCalibrationFile(std::string(TRV_TEST_DATA_DIR) + "/standard.cal", h);
    ExpectFields(h, {"1024", "0.09135", "511.2500", "127.75"}, "standard.cal");
    EXPECT_EQ(AllTexts(h), AllTexts(expected));
}

TEST(ParseCalibration, ValuesByPositionAfterTheFirstEquals)
{
    struct Case {
        std::string name;
        std::string bytes;
        Loaded want; // under the 512-channel folding mask
    };
    const Case cases[] = {
        {"names ignored, order by position",
         kHead + "ZeroSpeed=256\r\nFolding=0.01\r\nCalib=100.0000\r\nChannels=64.00\r\n",
         {"256", "0.01   ", "100.0000", "64 .00"}},
        {"value containing '='",
         kHead + "a=b=c\r\nx==0.1\r\n\r\n\r\n",
         {"b=c", "=.1    ", "   .    ", "   .  "}},
        {"space after '=' is kept",
         kHead + "n= 512\r\nx= 0.09135\r\nf= 512.0000\r\nz= 128.00\r\n",
         {" 512", " .09135", " 51.0000", " 12.00"}},
        {"line without '=' is its value",
         kHead + "512\r\n0.09135\r\n512.0000\r\n128.00\r\n",
         {"512", "0.09135", "512.0000", "128.00"}},
        {"four digits cut under 000.0000",
         kHead + "c=1024\r\nk=0.1\r\nf=1024.0000\r\nz=0\r\n",
         {"1024", "0.1    ", "102.0000", "0  .  "}},
        {"LF-only file is one line",
         "l1\nl2\nl3\nl4\nl5\nc=1\nk=0.2\nf=3.0\nz=4.0\n",
         {"", " .     ", "   .    ", "   .  "}},
        {"nine lines without final line end",
         kHead + "c=512\r\nk=0.09135\r\nf=512.0000\r\nz=128.00",
         {"512", "0.09135", "512.0000", "128.00"}},
        {"fewer than nine lines",
         kHead + "c=512\r\nk=0.0913\r\n",
         {"512", "0.0913 ", "   .    ", "   .  "}},
        {"empty file", "", {"", " .     ", "   .    ", "   .  "}},
        {"0x1A ends the file",
         kHead + "c=512\r\nk=0.09135\r\nf=51\x1A"
                 "2.0000\r\nz=128.00\r\n",
         {"512", "0.09135", "51 .    ", "   .  "}},
        {"CR alone ends lines, later lines unread",
         "1\r2\r3\r4\r5\rc=256\rk=0.12345\rf=256.0000\rz=64.00\rc=999\r",
         {"256", "0.12345", "256.0000", "64 .00"}},
        {"tab and trailing spaces kept",
         kHead + "c=\t512  \r\nk=0.0913 \r\n\r\n\r\n",
         {"\t512  ", "0.0913 ", "   .    ", "   .  "}},
    };
    for (const Case& c : cases) {
        ExpHeader h;
        ApplyCalibration(h, ParseCalibration(c.bytes));
        ExpectFields(h, c.want, c.name);
    }
}

TEST(ParseCalibration, RawValues)
{
    const auto v = ParseCalibration(kHead + "a=b=c\r\n=\r\nnone\r\nz= 1 \r\n");
    EXPECT_EQ(v.channels, "b=c");
    EXPECT_EQ(v.calibrationConstant, "");
    EXPECT_EQ(v.foldingChannel, "none");
    EXPECT_EQ(v.zeroSpeedChannel, " 1 ");
}

TEST(LoadCalibrationFile, FoldingChannelFollowsTheMaskInForce)
{
    TempDir dir;
    const std::string path = dir.File("1024.cal");
    WriteBytes(path, kHead + "Channels=1024\r\nCal=0.04567\r\nFold=1024.0000\r\nZero=256.00\r\n");

    ExpHeader h512;
    LoadCalibrationFile(path, h512);
    EXPECT_EQ(h512.FoldingChannel.Text(), "102.0000");

    ExpHeader h1024;
    ApplySaveAsModeChange(h1024, kSave1024);
    LoadCalibrationFile(path, h1024);
    ExpectFields(h1024, {"1024", "0.04567", "1024.0000", "256.00"}, "under 0000.0000");
}

TEST(LoadCalibrationFile, SpaceInChannelsIsWrittenToTheExpFile)
{
    ExpHeader h;
    ApplyCalibration(h, ParseCalibration(kHead + "n= 12\r\n"));
    const std::string bytes = FormatExpFile(h, {}, 0, 0);
    EXPECT_EQ(bytes.substr(bytes.find("\r\n") + 2, 12), " 12 009 245 ");
}

TEST(LoadCalibrationFile, UnreadableFileChangesNothing)
{
    TempDir dir;
    ExpHeader h;
    ApplySaveAsModeChange(h, kSave1024);
    h.CalibrationConstant.Assign("0.0913");
    const std::string before = AllTexts(h);

    const auto errorOf = [&h](const std::string& path) -> std::string {
        try {
            LoadCalibrationFile(path, h);
        }
        catch (const AppError& e) {
            return e.what();
        }
        return "no error";
    };
    EXPECT_EQ(errorOf(dir.File("missing.cal")), "File not found");
    EXPECT_EQ(AllTexts(h), before);
    EXPECT_EQ(errorOf(""), "File not found");
    EXPECT_EQ(errorOf(dir.Path().string()), "File access denied");
    EXPECT_EQ(AllTexts(h), before);
}

} // namespace
} // namespace trv
