#pragma once

#include "exp/ExpHeader.h"

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace trv {

// The values to write for a spectrum: all counts, 512 pair sums, or 512 pair means rounded
// down; sums wrap modulo 2^32. No values for a channel count of 0.
std::vector<uint32_t> ReduceChannels(const std::vector<uint32_t>& counts, int channelCount,
                                     int saveAsMode);

std::string PadLeftZeros(std::string_view text);           // to at least 3 characters
std::string PadRightSpaces(std::string_view text, int n);  // to at least n characters
std::string DefaultExpName(std::string_view spectrumName); // extension changed to ".exp"

// The bytes of an EXP file (CR LF line ends).
std::string FormatExpFile(const ExpHeader& header, const std::vector<uint32_t>& counts,
                          int channelCount, int saveAsMode);

// Writes the EXP file atomically; on failure the old file stays and AppError carries the
// runtime's I/O text.
void WriteExpFile(const std::string& target, const ExpHeader& header,
                  const std::vector<uint32_t>& counts, int channelCount, int saveAsMode);

} // namespace trv
