#include "support/FaultFolders.h"

#include "spectrum/Combine.h"

#include <gtest/gtest.h>

namespace trv {
namespace {

using V = std::vector<uint32_t>;

TEST(CombineSpectra, ChannelWiseModulo2To32AndOnlyForTheSameLength)
{
    const V a{5, 7, 0xFFFFFFFFu, 0}, b{7, 5, 1, 0};
    EXPECT_EQ(CombineSpectra(a, b, CombineOp::Subtract), (V{4294967294u, 2, 0xFFFFFFFEu, 0}));
    EXPECT_EQ(CombineSpectra(a, b, CombineOp::Add), (V{12, 12, 0, 0}));
    EXPECT_EQ(CombineSpectra(V(1024, 1), V(1024, 2), CombineOp::Add), V(1024, 3));
    EXPECT_TRUE(CombineSpectra({}, {}, CombineOp::Subtract).empty());
    for (const auto& [x, y] : {std::pair{V(512), V(1024)}, std::pair{V{}, V(512)}})
        EXPECT_EQ(faults::ErrorOf([&] { CombineSpectra(x, y, CombineOp::Add); }),
                  "Not the same number of channels!");
}

TEST(SlotInfoRows, RowOrderAndDateRowsFollowTheStamps)
{
    SpmInfo info{"ha1234.spm",
                 2560,
                 512,
                 SpmMode::PCA2,
                 512,
                 {"12:34:56    Jan  5  2001", true, {2001, 1, 5, 12, 34, 56, 0}},
                 {"13:00:00    Feb 30  2001", true, {2001, 1, 5, 13, 0, 0, 0}}};
    using Rows = std::vector<std::pair<std::string, std::string>>;
    const std::string raw1 = info.FirstStamp.RawText, raw2 = info.SecondStamp.RawText;
    const auto rows = [&](const std::vector<std::pair<std::string, std::string>>& dates) {
        Rows r = {{"Channels", "512"},
                  {"Filename", "ha1234.spm"},
                  {"Size", "2560 bytes"},
                  {"Channels", "512"},
                  {"Mode", info.Mode == SpmMode::PCA2 ? "PCA2" : "PCA3"}};
        r.insert(r.end(), dates.begin(), dates.end());
        r.push_back({"Header length", std::to_string(info.HeaderLength)});
        return r;
    };
    const LocaleFormats locale = LocaleFormats::Fixed();
    EXPECT_EQ(SlotInfoRows(info, locale),
              rows({{"Date", "05/01/2001 12:34:56"}, {"Date", "05/01/2001 13:00:00"}}));
    // Only the second failing: the first decoded, then both raw.
    info.SecondStamp.Decoded = false;
    EXPECT_EQ(SlotInfoRows(info, locale),
              rows({{"Date", "05/01/2001 12:34:56"}, {"Date", raw1}, {"Date", raw2}}));
    // PCA3: raw texts, shown up to their first zero byte.
    info.Mode = SpmMode::PCA3;
    info.HeaderLength = 450;
    info.FirstStamp = {std::string("12/0\0abcdefg", 11), false, {}};
    EXPECT_EQ(SlotInfoRows(info, locale), rows({{"Date", "12/0"}, {"Date", raw2}}));
}

} // namespace
} // namespace trv
