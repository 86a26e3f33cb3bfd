#include "exp/ExpFile.h"

#include "platform/FileIo.h"

#include <algorithm>
#include <charconv>

namespace trv {

namespace {

constexpr int kValuesPerLine = 8;
constexpr std::size_t kDescriptionWidth = 56;

} // namespace

std::vector<uint32_t> ReduceChannels(const std::vector<uint32_t>& counts, int channelCount,
                                     int saveAsMode)
{
    // Never read past the counts actually held, whatever the channel count claims.
    const std::size_t n =
        channelCount <= 0 ? 0 : std::min(counts.size(), static_cast<std::size_t>(channelCount));
    std::vector<uint32_t> values;
    if (channelCount == 1024 && (saveAsMode == kSave512Add || saveAsMode == kSave512Mean)) {
        values.reserve(n / 2);
        for (std::size_t i = 0; i + 1 < n; i += 2) {
            const uint32_t sum = counts[i] + counts[i + 1]; // wraps modulo 2^32
            values.push_back(saveAsMode == kSave512Add ? sum : sum / 2);
        }
        return values;
    }
    values.assign(counts.begin(), counts.begin() + static_cast<std::ptrdiff_t>(n));
    return values;
}

std::string PadLeftZeros(std::string_view text)
{
    std::string out;
    if (text.size() < 3) out.assign(3 - text.size(), '0');
    out.append(text);
    return out;
}

std::string PadRightSpaces(std::string_view text, int n)
{
    std::string out(text);
    if (n > 0 && out.size() < static_cast<std::size_t>(n))
        out.resize(static_cast<std::size_t>(n), ' ');
    return out;
}

std::string DefaultExpName(std::string_view spectrumName)
{
    const auto cut = spectrumName.find_last_of(".\\:");
    if (cut != std::string_view::npos && spectrumName[cut] == '.') {
        return std::string(spectrumName.substr(0, cut)) + ".exp";
    }
    return std::string(spectrumName) + ".exp";
}

std::string FormatExpFile(const ExpHeader& header, const std::vector<uint32_t>& counts,
                          int channelCount, int saveAsMode)
{
    const std::vector<uint32_t> values = ReduceChannels(counts, channelCount, saveAsMode);
    std::string out;
    out.reserve(400 + header.Description.size() + values.size() * 11);

    out += header.Serial.Text();
    out += ' ';
    out += header.Description;
    if (header.Description.size() < kDescriptionWidth) {
        out.append(kDescriptionWidth - header.Description.size(), ' ');
    }
    out += header.BField.Text();
    out += "     ";
    out += header.Temperature.Text();
    out += "\r\n";

    const auto item = [&out](std::string_view text, char after) {
        out += text;
        out += after;
    };
    item(PadLeftZeros(header.Channels), ' ');
    item(PadLeftZeros(header.IgnoreLeft), ' ');
    item(PadLeftZeros(header.IgnoreRight), ' ');
    item(header.FoldingChannel.Text(), ' ');
    item(PadLeftZeros(header.CountsMillions), ' ');
    item(header.ZeroSpeedChannel.Text(), ' ');
    item(header.CalibrationConstant.Text(), ' ');
    item(header.Columns, ' ');
    item(header.Extra1.Text(), ' ');
    item(header.Extra2.Text(), ' ');
    item(header.Extra3.Text(), ' ');
    item(header.Extra4.Text(), '\r');
    out += '\n';

    char buf[16];
    int inLine = 0;
    for (const uint32_t v : values) {
        const auto res = std::to_chars(buf, buf + sizeof buf, v);
        out.append(buf, res.ptr);
        out += ' ';
        if (++inLine == kValuesPerLine) {
            out += "\r\n";
            inLine = 0;
        }
    }
    // Only an inconsistent spectrum gives a count that is not a multiple of 8; its last line
    // still gets its line end.
    if (inLine != 0) out += "\r\n";
    return out;
}

void WriteExpFile(const std::string& target, const ExpHeader& header,
                  const std::vector<uint32_t>& counts, int channelCount, int saveAsMode)
{
    WriteFileAtomic(target, FormatExpFile(header, counts, channelCount, saveAsMode));
}

} // namespace trv
