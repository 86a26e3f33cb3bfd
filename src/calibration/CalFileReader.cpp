#include "calibration/CalFileReader.h"

#include "platform/FileIo.h"
#include "platform/TextLineReader.h"

namespace trv {

namespace {

// Calibration files are a few hundred bytes; anything this large is not one.

std::string ValueOf(const std::string& line)
{
    const auto eq = line.find('=');
    return eq == std::string::npos ? line : line.substr(eq + 1);
}

} // namespace

CalibrationValues ParseCalibration(std::string_view bytes)
{
    TextLineReader reader(bytes);
    for (int i = 0; i < 5; ++i)
        reader.ReadLine(); // lines 1 to 5 are never looked at
    CalibrationValues values;
    values.channels = ValueOf(reader.ReadLine());
    values.calibrationConstant = ValueOf(reader.ReadLine());
    values.foldingChannel = ValueOf(reader.ReadLine());
    values.zeroSpeedChannel = ValueOf(reader.ReadLine());
    return values;
}

void ApplyCalibration(ExpHeader& header, const CalibrationValues& values)
{
    header.Channels = values.channels;
    header.CalibrationConstant.Assign(values.calibrationConstant);
    header.FoldingChannel.Assign(values.foldingChannel);
    header.ZeroSpeedChannel.Assign(values.zeroSpeedChannel);
}

void LoadCalibrationFile(const std::string& path, ExpHeader& header)
{
    // Read first: a file that cannot be read leaves every field as it was.
    const std::string bytes = ReadWholeFile(path, kMaxCalibrationFileSize);
    ApplyCalibration(header, ParseCalibration(bytes));
}

} // namespace trv
