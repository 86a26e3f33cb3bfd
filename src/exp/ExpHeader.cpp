#include "exp/ExpHeader.h"

namespace trv {

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
