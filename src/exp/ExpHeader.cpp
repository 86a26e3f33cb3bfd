#include "exp/ExpHeader.h"

namespace trv {

namespace {

constexpr ExpHeaderField Masked(std::string_view name, std::string_view option,
                                std::string_view help, MaskedField ExpHeader::*member)
{
    return {name, option, help, member, nullptr, 0};
}

constexpr ExpHeaderField Plain(std::string_view name, std::string_view option,
                               std::string_view help, std::string ExpHeader::*member,
                               std::size_t maxLength = 0)
{
    return {name, option, help, nullptr, member, maxLength};
}

} // namespace

// Constant-initialised, so other files may use it while they are initialised themselves.
constexpr std::array<ExpHeaderField, kExpHeaderFieldCount> kExpHeaderFields = {
    Masked("Serial", "serial", "Serial # (masked: HL0000  )", &ExpHeader::Serial),
    // The window's field holds at most this many characters.
    Plain("Description", "description", "Description (at most 58 characters are kept)",
          &ExpHeader::Description, kDescriptionMaxLength),
    Masked("BField", "bfield", "B-field (masked: 0.0T)", &ExpHeader::BField),
    Masked("Temperature", "temperature", "Temperature (masked: 000 K)", &ExpHeader::Temperature),
    Plain("Channels", "channels", "# Channels", &ExpHeader::Channels),
    Plain("IgnoreLeft", "ignore-left", "Ignore left", &ExpHeader::IgnoreLeft),
    Plain("IgnoreRight", "ignore-right", "Ignore right", &ExpHeader::IgnoreRight),
    Masked("FoldingChannel", "folding-channel",
           "2xFolding channel (masked: 000.0000, or 0000.0000 after --mode 1024)",
           &ExpHeader::FoldingChannel),
    Plain("CountsMillions", "counts-millions", "# counts (10^6)", &ExpHeader::CountsMillions),
    Masked("ZeroSpeedChannel", "zero-speed", "Zero speed Channel (masked: 000.00)",
           &ExpHeader::ZeroSpeedChannel),
    Masked("CalibrationConstant", "calibration", "Calibration constant (masked: 0.00009)",
           &ExpHeader::CalibrationConstant),
    // Fixed: the window shows it read-only and the converter has no option for it.
    Plain("Columns", "", "", &ExpHeader::Columns),
    Masked("Extra1", "extra1", "first ??? field (masked: 000.00)", &ExpHeader::Extra1),
    Masked("Extra2", "extra2", "second ??? field (masked: 0.00000)", &ExpHeader::Extra2),
    Masked("Extra3", "extra3", "third ??? field (masked: 000.00)", &ExpHeader::Extra3),
    Masked("Extra4", "extra4", "fourth ??? field (masked: 0.00000)", &ExpHeader::Extra4),
};

const std::string& ExpHeaderField::Text(const ExpHeader& header) const
{
    return IsMasked() ? (header.*masked).Text() : header.*plain;
}

void ExpHeaderField::Assign(ExpHeader& header, std::string_view text) const
{
    if (IsMasked())
        (header.*masked).Assign(text);
    else
        header.*plain = std::string(maxLength == 0 ? text : text.substr(0, maxLength));
}

void ApplySaveAsModeChange(ExpHeader& header, int item)
{
    if (item == kSave1024) {
        header.Channels = "1024";
        header.IgnoreLeft = "9";
        header.IgnoreRight = "503";
        header.FoldingChannel.SetMask(EditMask(kFolding1024Mask));
    }
    else if (item == kSave512Add || item == kSave512Mean) {
        header.Channels = "512";
        header.IgnoreLeft = "9";
        header.IgnoreRight = "245";
        header.FoldingChannel.SetMask(EditMask(kFolding512Mask));
    }
}

void GuessExpData(ExpHeader& header, std::string_view spectrumName)
{
    std::string prefix(spectrumName.substr(0, 6));
    for (char& c : prefix) {
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    }
    header.Serial.Assign(prefix);
    header.Description = prefix + ": ";
    header.BField.Assign("0.0 T");
    header.Temperature.Assign("295 K");
}

} // namespace trv
