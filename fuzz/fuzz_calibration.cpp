// The calibration reader and the fit rule behind it. Any bytes are read as a calibration
// file and applied to a header under both folding masks; the same bytes also supply a mask and
// a text for the fit rule and the re-flow on their own.
#include "FuzzCheck.h"

#include "calibration/CalFileReader.h"
#include "exp/ExpHeader.h"
#include "exp/MaskedField.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace {

bool IsPosition(char c)
{
    return c == '0' || c == '9' || c == 'L';
}

// What the fit rule promises: the mask's full width, each literal at its place.
void CheckFitted(const trv::EditMask& mask, const std::string& text)
{
    const std::string& m = mask.Text();
    FUZZ_CHECK(text.size() == m.size());
    for (std::size_t i = 0; i < m.size(); ++i) {
        if (!IsPosition(m[i])) FUZZ_CHECK(text[i] == m[i]);
    }
}

// What a re-flow promises: at least the new mask's width, each new literal at its place, and
// no character of the old non-literal positions lost but trailing blanks.
void CheckReflowed(const trv::EditMask& from, const std::string& before, const trv::EditMask& to,
                   const std::string& after)
{
    const std::string& m = to.Text();
    FUZZ_CHECK(after.size() >= m.size());
    std::string kept;
    for (std::size_t i = 0; i < after.size(); ++i) {
        if (i < m.size() && !IsPosition(m[i]))
            FUZZ_CHECK(after[i] == m[i]);
        else
            kept += after[i];
    }
    std::string source;
    for (std::size_t i = 0; i < before.size(); ++i)
        if (!from.IsLiteral(static_cast<int>(i))) source += before[i];
    while (!source.empty() && source.back() == ' ')
        source.pop_back();
    FUZZ_CHECK(kept.compare(0, source.size(), source) == 0);
    FUZZ_CHECK(kept.find_first_not_of(' ', source.size()) == std::string::npos);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);

    // Which line gives which value is pinned by the bad-calibration corpus; here no value may
    // hold a line end or the end-of-file byte.
    const trv::CalibrationValues values = trv::ParseCalibration(bytes);
    for (const std::string* value : {&values.channels, &values.calibrationConstant,
                                     &values.foldingChannel, &values.zeroSpeedChannel})
        FUZZ_CHECK(value->find_first_of("\r\x1A") == std::string::npos);

    // Under the 512-channel folding mask, as after a load.
    trv::ExpHeader header;
    trv::ApplyCalibration(header, values);
    FUZZ_CHECK(header.Channels == values.channels);
    CheckFitted(header.CalibrationConstant.Mask(), header.CalibrationConstant.Text());
    CheckFitted(header.FoldingChannel.Mask(), header.FoldingChannel.Text());
    CheckFitted(header.ZeroSpeedChannel.Mask(), header.ZeroSpeedChannel.Text());

    // Under the 1024-channel mask, then re-flowed to 512 channels and back: a fitted text
    // survives the round trip unchanged.
    trv::ExpHeader wide;
    trv::ApplySaveAsModeChange(wide, trv::kSave1024);
    trv::ApplyCalibration(wide, values);
    const std::string fitted1024 = wide.FoldingChannel.Text();
    CheckFitted(wide.FoldingChannel.Mask(), fitted1024);
    trv::ApplySaveAsModeChange(wide, trv::kSave512Mean);
    CheckReflowed(trv::EditMask(trv::kFolding1024Mask), fitted1024,
                  trv::EditMask(trv::kFolding512Mask), wide.FoldingChannel.Text());
    trv::ApplySaveAsModeChange(wide, trv::kSave1024);
    FUZZ_CHECK(wide.FoldingChannel.Text() == fitted1024);

    const std::string fitted512 = header.FoldingChannel.Text();
    trv::ApplySaveAsModeChange(header, trv::kSave1024);
    trv::ApplySaveAsModeChange(header, trv::kSave512Add);
    FUZZ_CHECK(header.FoldingChannel.Text() == fitted512);

    // Any mask (the first 24 bytes) and any text (the next 24) through the fit rule, then
    // re-flowed into the mask of the 24 bytes after those.
    const trv::EditMask mask(bytes.substr(0, 24));
    const std::string fitted =
        trv::FitToMask(mask, bytes.substr(std::min<std::size_t>(size, 24), 24));
    CheckFitted(mask, fitted);
    const trv::EditMask other(size > 48 ? bytes.substr(48, 24) : std::string_view("000.0000"));
    CheckReflowed(mask, fitted, other, trv::ReflowToMask(mask, fitted, other));
    return 0;
}
