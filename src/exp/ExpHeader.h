#pragma once

#include "exp/MaskedField.h"

#include <array>
#include <cstddef>
#include <string>
#include <string_view>

namespace trv {

inline constexpr const char* kSerialMask = "HL0000  ;1;_";
inline constexpr const char* kBFieldMask = "0.0T";
inline constexpr const char* kTemperatureMask = "000 K";
inline constexpr const char* kFolding512Mask = "000.0000;1;_";
inline constexpr const char* kFolding1024Mask = "0000.0000;1;_";
inline constexpr const char* kZeroSpeedMask = "000.00;1;_";
inline constexpr const char* kCalibrationMask = "0.00009";
inline constexpr const char* kExtraShortMask = "000.00";
inline constexpr const char* kExtraLongMask = "0.00000";
inline constexpr int kDescriptionMaxLength = 58;

// The sixteen texts that head an EXP file, in the order the writer writes them.
struct ExpHeader {
    MaskedField Serial{kSerialMask, "H       "};
    std::string Description;
    MaskedField BField{kBFieldMask, " . T"};
    MaskedField Temperature{kTemperatureMask, "    K"};
    std::string Channels = "512";
    std::string IgnoreLeft = "9";
    std::string IgnoreRight = "245";
    MaskedField FoldingChannel{kFolding512Mask, "512.0000"};
    std::string CountsMillions = "0";
    MaskedField ZeroSpeedChannel{kZeroSpeedMask, "128.00"};
    MaskedField CalibrationConstant{kCalibrationMask, "0.09135"};
    std::string Columns = "08";
    MaskedField Extra1{kExtraShortMask, "000.00"};
    MaskedField Extra2{kExtraLongMask, "0.00000"};
    MaskedField Extra3{kExtraShortMask, "000.00"};
    MaskedField Extra4{kExtraLongMask, "0.00000"};
};

// One of the sixteen header fields as the window, the converter and the tests reach it.
// Exactly one of `masked` and `plain` is set.
struct ExpHeaderField {
    std::string_view name;       // the member's name
    std::string_view option;     // the converter's option, without "--"; empty: none (read-only)
    std::string_view optionHelp; // what the converter's usage says of that option
    MaskedField ExpHeader::*masked = nullptr;
    std::string ExpHeader::*plain = nullptr;
    std::size_t maxLength = 0; // the longest text a plain field keeps; 0: no limit

    bool IsMasked() const { return masked != nullptr; }
    const std::string& Text(const ExpHeader& header) const;
    // Assigns a text as typing it would: through the mask, or cut to maxLength.
    void Assign(ExpHeader& header, std::string_view text) const;
};

// The sixteen fields in the order the writer writes them.
inline constexpr std::size_t kExpHeaderFieldCount = 16;
extern const std::array<ExpHeaderField, kExpHeaderFieldCount> kExpHeaderFields;

enum SaveAsMode : int { kSave1024 = 0, kSave512Add = 1, kSave512Mean = 2 };
// The items of the save-as mode list, by SaveAsMode.
inline constexpr std::array<const char*, 3> kSaveAsModeCaptions = {
    "1024 Channels", "512 Channels (add)", "512 Channels (mean)"};

// What choosing item `item` of the save-as mode list does to the header: Channels,
// IgnoreLeft, IgnoreRight and the re-flow of FoldingChannel into the item's mask.
void ApplySaveAsModeChange(ExpHeader& header, int item);

// The "Guess Exp Data" fill from the spectrum's name (first six characters, a-z upper-cased).
void GuessExpData(ExpHeader& header, std::string_view spectrumName);

} // namespace trv
