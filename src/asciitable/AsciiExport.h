#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace trv {

enum XAxis : int { kXAxisChannel = 0, kXAxisVelocity = 1 };

// A header field's text as a number with '.' as the decimal point; blanks at either end are
// ignored. Throws AppError "'%s' is not a valid floating point value".
double DotStrToFloat(std::string_view text);

// General number format: at most 15 significant digits, fixed for 1e-4 <= |v| < 1e15,
// otherwise scientific ("5E-5"); decimalSeparator from the user's locale.
std::string FormatGeneral(double v, char decimalSeparator);

// The whole table: one line per exported value, x TAB value CR LF.
// zeroSpeedText and calibrationText are converted (DotStrToFloat) only for the velocity axis.
std::string BuildASCIITable(const std::vector<uint32_t>& counts, int channelCount, int saveAsMode,
                            int xAxis, std::string_view zeroSpeedText,
                            std::string_view calibrationText, char decimalSeparator);

} // namespace trv
