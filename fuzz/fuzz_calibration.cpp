// The calibration reader and the fit rule behind it. Any bytes are read as a calibration
// file and applied to a header under both folding masks; the same bytes also supply a mask and
// a text for the fit rule and the re-flow on their own.
#include "FuzzCheck.h"

#include "calibration/CalFileReader.h"
#include "exp/ExpHeader.h"
#include "exp/MaskedField.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace {

// Lines as the runtime reads text: CR ends a line, a LF right after it belongs to the line
// end, a LF alone stays in the line, and 0x1A ends the file.
std::vector<std::string> ReferenceLines(std::string_view text)
{
    text = text.substr(0, text.find('\x1A'));
    std::vector<std::string> lines;
    std::string line;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '\r') {
            line += text[i];
            continue;
        }
        lines.push_back(line);
        line.clear();
        if (i + 1 < text.size() && text[i + 1] == '\n') ++i;
    }
    if (!line.empty()) lines.push_back(line);
    return lines;
}

std::string ReferenceValue(const std::vector<std::string>& lines, std::size_t number)
{
    if (number > lines.size()) return {};
    const std::string& line = lines[number - 1];
    const auto eq = line.find('=');
    return eq == std::string::npos ? line : line.substr(eq + 1);
}

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

    const trv::CalibrationValues values = trv::ParseCalibration(bytes);
    const auto lines = ReferenceLines(bytes);
    FUZZ_CHECK(values.channels == ReferenceValue(lines, 6));
    FUZZ_CHECK(values.calibrationConstant == ReferenceValue(lines, 7));
    FUZZ_CHECK(values.foldingChannel == ReferenceValue(lines, 8));
    FUZZ_CHECK(values.zeroSpeedChannel == ReferenceValue(lines, 9));

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

    // Any mask (line 1, at most 24 characters) and any text (line 2) through the fit rule,
    // then re-flowed into the mask of line 3.
    if (!lines.empty()) {
        const trv::EditMask mask(std::string_view(lines[0]).substr(0, 24));
        const std::string text = lines.size() > 1 ? lines[1] : std::string();
        const std::string fitted = trv::FitToMask(mask, text);
        CheckFitted(mask, fitted);
        const trv::EditMask other(lines.size() > 2 ? std::string_view(lines[2]).substr(0, 24)
                                                   : std::string_view("000.0000"));
        CheckReflowed(mask, fitted, other, trv::ReflowToMask(mask, fitted, other));
    }
    return 0;
}
