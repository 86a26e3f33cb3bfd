#include "spectrum/Combine.h"

#include "platform/AppError.h"

namespace trv {

std::vector<uint32_t> CombineSpectra(const std::vector<uint32_t>& first,
                                     const std::vector<uint32_t>& second, CombineOp op)
{
    if (first.size() != second.size()) throw AppError(kNotSameChannelsText);
    std::vector<uint32_t> result(first.size());
    // Unsigned arithmetic wraps modulo 2^32, which is exactly what the counts need.
    if (op == CombineOp::Add) {
        for (std::size_t i = 0; i < first.size(); ++i)
            result[i] = first[i] + second[i];
    }
    else {
        for (std::size_t i = 0; i < first.size(); ++i)
            result[i] = first[i] - second[i];
    }
    return result;
}

std::vector<std::pair<std::string, std::string>> SlotInfoRows(const SpmInfo& info,
                                                              const LocaleFormats& locale)
{
    std::vector<std::pair<std::string, std::string>> rows;
    const std::string channels = std::to_string(info.ChannelCount);
    rows.emplace_back("Channels", channels);
    rows.emplace_back("Filename", info.FileName);
    rows.emplace_back("Size", std::to_string(info.FileSize) + " bytes");
    rows.emplace_back("Channels", channels);
    rows.emplace_back("Mode", info.Mode == SpmMode::PCA3 ? "PCA3" : "PCA2");

    Stamp firstRaw = info.FirstStamp;
    firstRaw.Decoded = false;
    Stamp secondRaw = info.SecondStamp;
    secondRaw.Decoded = false;
    if (info.Mode == SpmMode::PCA2 && info.FirstStamp.Decoded) {
        rows.emplace_back("Date", StampDisplayText(info.FirstStamp, locale));
        if (info.SecondStamp.Decoded) {
            rows.emplace_back("Date", StampDisplayText(info.SecondStamp, locale));
        }
        else {
            rows.emplace_back("Date", StampDisplayText(firstRaw, locale));
            rows.emplace_back("Date", StampDisplayText(secondRaw, locale));
        }
    }
    else {
        rows.emplace_back("Date", StampDisplayText(firstRaw, locale));
        rows.emplace_back("Date", StampDisplayText(secondRaw, locale));
    }
    rows.emplace_back("Header length", std::to_string(info.HeaderLength));
    return rows;
}

} // namespace trv
