#pragma once

#include "exp/ExpHeader.h"

#include <cstddef>
#include <string>
#include <string_view>

namespace trv {

// Calibration files are a few hundred bytes; anything far larger is not read.
inline constexpr std::size_t kMaxCalibrationFileSize = 16u * 1024u * 1024u;

// The four values of lines 6 to 9 of a calibration file, each the text after the line's
// first '=' (the whole line when it has none; empty past the end of the file).
struct CalibrationValues {
    std::string channels;
    std::string calibrationConstant;
    std::string foldingChannel;
    std::string zeroSpeedChannel;
};

CalibrationValues ParseCalibration(std::string_view bytes);
// Channels as plain text; the three masked fields through the fit rule, the folding channel
// under the mask in force.
void ApplyCalibration(ExpHeader& header, const CalibrationValues& values);
// Reads the file (AppError with the I/O text; nothing changed then) and applies it.
void LoadCalibrationFile(const std::string& path, ExpHeader& header);

} // namespace trv
