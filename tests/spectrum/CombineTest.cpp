#include "platform/AppError.h"
#include "spectrum/Combine.h"

#include <gtest/gtest.h>

using namespace trv;

TEST(CombineSpectra, AddsAndSubtractsChannelWiseModulo2To32)
{
    const std::vector<uint32_t> ones(512, 1), twos(512, 2);
    EXPECT_EQ(CombineSpectra(ones, twos, CombineOp::Add), std::vector<uint32_t>(512, 3));

    const std::vector<uint32_t> a{5, 7, 0xFFFFFFFFu, 0};
    const std::vector<uint32_t> b{7, 5, 1, 0};
    EXPECT_EQ(CombineSpectra(a, b, CombineOp::Subtract),
              (std::vector<uint32_t>{4294967294u, 2, 0xFFFFFFFEu, 0}));
    EXPECT_EQ(CombineSpectra(a, b, CombineOp::Add), (std::vector<uint32_t>{12, 12, 0, 0}));
}

TEST(CombineSpectra, DifferentLengthsAreRefusedAndTwoEmptySlotsGiveAnEmptyResult)
{
    const std::vector<uint32_t> small(512, 1), large(1024, 1), none;
    for (const auto& [x, y] : {std::pair{&small, &large}, std::pair{&none, &small}}) {
        try {
            CombineSpectra(*x, *y, CombineOp::Add);
            ADD_FAILURE() << "no error";
        } catch (const AppError& e) {
            EXPECT_STREQ(e.what(), "Not the same number of channels!");
        }
    }
    EXPECT_TRUE(CombineSpectra(none, none, CombineOp::Subtract).empty());
}

namespace {

SpmInfo Pca2Info(bool firstDecoded, bool secondDecoded)
{
    SpmInfo info;
    info.FileName = "ha1234.spm";
    info.FileSize = 2560;
    info.ChannelCount = 512;
    info.Mode = SpmMode::PCA2;
    info.HeaderLength = 512;
    info.FirstStamp = {"12:34:56    Jan  5  2001", firstDecoded, {2001, 1, 5, 12, 34, 56, 0}};
    info.SecondStamp = {"13:00:00    Feb 30  2001", secondDecoded, {2001, 1, 5, 13, 0, 0, 0}};
    return info;
}

std::vector<std::string> Names(const std::vector<std::pair<std::string, std::string>>& rows)
{
    std::vector<std::string> names;
    for (const auto& r : rows) names.push_back(r.first);
    return names;
}

}  // namespace

TEST(SlotInfoRows, RowOrderAndDateRowsFollowTheStamps)
{
    const LocaleFormats locale = LocaleFormats::Fixed();
    const auto both = SlotInfoRows(Pca2Info(true, true), locale);
    EXPECT_EQ(Names(both), (std::vector<std::string>{"Channels", "Filename", "Size", "Channels",
                                                     "Mode", "Date", "Date", "Header length"}));
    EXPECT_EQ(both[1].second, "ha1234.spm");
    EXPECT_EQ(both[2].second, "2560 bytes");
    EXPECT_EQ(both[0].second, "512");
    EXPECT_EQ(both[3].second, "512");
    EXPECT_EQ(both[4].second, "PCA2");
    EXPECT_EQ(both[5].second, "05/01/2001 12:34:56");
    EXPECT_EQ(both[6].second, "05/01/2001 13:00:00");
    EXPECT_EQ(both[7].second, "512");

    // Only the second fails: decoded first, then both raw.
    const auto secondFails = SlotInfoRows(Pca2Info(true, false), locale);
    ASSERT_EQ(secondFails.size(), 9u);
    EXPECT_EQ(secondFails[5].second, "05/01/2001 12:34:56");
    EXPECT_EQ(secondFails[6].second, "12:34:56    Jan  5  2001");
    EXPECT_EQ(secondFails[7].second, "13:00:00    Feb 30  2001");

    const auto firstFails = SlotInfoRows(Pca2Info(false, true), locale);
    ASSERT_EQ(firstFails.size(), 8u);
    EXPECT_EQ(firstFails[5].second, "12:34:56    Jan  5  2001");
    EXPECT_EQ(firstFails[6].second, "13:00:00    Feb 30  2001");

    SpmInfo pca3 = Pca2Info(false, false);
    pca3.Mode = SpmMode::PCA3;
    pca3.HeaderLength = 450;
    pca3.FirstStamp = {std::string("12/0\0abcdefg", 11), false, {}};
    const auto rows3 = SlotInfoRows(pca3, locale);
    ASSERT_EQ(rows3.size(), 8u);
    EXPECT_EQ(rows3[4].second, "PCA3");
    EXPECT_EQ(rows3[5].second, "12/0") << "a shown raw text ends at its first zero byte";
    EXPECT_EQ(rows3[7].second, "450");
}
