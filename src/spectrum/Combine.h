#pragma once

#include "spectrum/Spm.h"

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

namespace trv {

enum class CombineOp { Add, Subtract };

inline constexpr const char* kNotSameChannelsText = "Not the same number of channels!";

// Channel-wise sum or difference modulo 2^32. Throws AppError "Not the same number of
// channels!" when the lengths differ.
std::vector<uint32_t> CombineSpectra(const std::vector<uint32_t>& first,
                                     const std::vector<uint32_t>& second, CombineOp op);

// The rows an add/subtract slot lists for a file, in order: "Channels", "Filename", "Size",
// "Channels", "Mode", the "Date" rows, "Header length".
std::vector<std::pair<std::string, std::string>> SlotInfoRows(const SpmInfo& info,
                                                              const LocaleFormats& locale);

} // namespace trv
