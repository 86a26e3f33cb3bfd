#include "support/BadCorpus.h"
#include "support/FaultFolders.h"

#include "spectrum/Spm.h"

#include <gtest/gtest.h>

#include <array>
#include <string>
#include <vector>

namespace trv {
namespace {

using namespace std::string_literals;

const LocaleFormats kFixed = LocaleFormats::Fixed();

std::string Put(std::string image, std::size_t offset, std::string_view text)
{
    return image.replace(offset, text.size(), text);
}

std::string PutU32(std::string image, std::size_t offset, uint32_t v)
{
    const char le[4] = {static_cast<char>(v), static_cast<char>(v >> 8), static_cast<char>(v >> 16),
                        static_cast<char>(v >> 24)};
    return Put(std::move(image), offset, std::string_view(le, 4));
}

// From a heap block of exactly the image's size, so the sanitizer sees any read past the end.
SpmSpectrum Parse(const std::string& bytes, std::string_view path = "test.spm")
{
    return ParseSpmImage(corpus::ExactBytes(bytes).View(), path, kFixed);
}

// Every size from empty to beyond the largest boundary, both variants: 512 channels up to 3000
// bytes; PCA2 counts are the file's last bytes, PCA3 counts start at 450 and ignore what
// follows; a count block outside the file is refused with the text that names why.
TEST(SpmLayout, EverySizeIsEitherParsedOrRefusedForBothVariants)
{
    for (bool pca3 : {false, true}) {
        for (std::size_t size = pca3 ? 8 : 0; size <= 6000; ++size) {
            SCOPED_TRACE(testing::Message() << (pca3 ? "PCA3 " : "PCA2 ") << size << " bytes");
            std::string image(size, '\x5A');
            if (pca3) image = Put(image, 0, "pca3.exe");
            const std::size_t channels = size <= 3000 ? 512 : 1024;
            const std::size_t header = pca3 ? 450 : size - 4 * channels; // wraps when negative
            if (pca3 ? size < 450 + 4 * channels : size < 4 * channels) {
                const bool negativeHeader = !pca3 && size < 4 * channels;
                ASSERT_EQ(faults::ErrorOf([&] { Parse(image); }),
                          negativeHeader ? kSpmTooShortText : kSpmCountsPastEndText);
                continue;
            }
            image = PutU32(image, header + 4 * (channels - 1), static_cast<uint32_t>(size));
            const SpmSpectrum s = Parse(image);
            ASSERT_EQ(s.info.FileSize, static_cast<int32_t>(size));
            ASSERT_EQ(s.info.Mode, pca3 ? SpmMode::PCA3 : SpmMode::PCA2);
            ASSERT_EQ(s.info.ChannelCount, static_cast<int32_t>(channels));
            ASSERT_EQ(s.counts.size(), channels);
            ASSERT_EQ(s.info.HeaderLength, static_cast<int32_t>(header));
            ASSERT_EQ(s.counts.back(), static_cast<uint32_t>(size));
        }
    }
}

TEST(SpmLayout, MarkerIsFoundAnywhereButOnlyWholeAndInLowerCase)
{
    const std::pair<std::size_t, const char*> pca3[] = {{0, "pca3.exe"}, {2992, "pca3.exe"}};
    for (const auto& [offset, text] : pca3)
        EXPECT_EQ(Parse(Put(std::string(3000, 0), offset, text)).info.Mode, SpmMode::PCA3);
    const std::pair<std::size_t, const char*> pca2[] = {
        {100, "PCA3.EXE"}, {100, "Pca3.exe"}, {2993, "pca3.ex"}, {100, "pca3 exe"}};
    for (const auto& [offset, text] : pca2)
        EXPECT_EQ(Parse(Put(std::string(3000, 0), offset, text)).info.Mode, SpmMode::PCA2);
}

std::array<std::string, 6> Captions(const std::string& image, std::string_view path = "t.spm")
{
    return SpmInfoCaptions(Parse(image, path).info, kFixed);
}

// Two PCA2 stamps at their places: time, 2 bytes, date, 1 byte, time, 2 bytes, date.
std::string Pca2(std::size_t size, const std::string& t1, const std::string& d1,
                 const std::string& t2, const std::string& d2)
{
    return Put(std::string(size, ' '), 362, t1 + "  " + d1 + " " + t2 + "  " + d2);
}

TEST(SpmCaptions, Pca2ShowsBothStampsDecodedOrBothRaw)
{
    const std::string time = "12:34:56   ", date = "Jan  5  2001";
    EXPECT_EQ(
        Captions(Pca2(2560, time, date, "01:00:00 PM", "Jan  6  2001"), "C:\\lab\\h.spm"),
        (std::array<std::string, 6>{"h.spm", "2560 bytes", "512 channels", "05/01/2001 12:34:56",
                                    "06/01/2001 13:00:00", "Mode : PCA2  (Header: 512)"}));
    // Either one failing shows both raw: time, blank, date.
    const std::array<std::string, 4> failing[] = {{time, date, "12:34:99   ", date},
                                                  {time, "Jab  5  2001", time, date}};
    for (const auto& [t1, d1, t2, d2] : failing) {
        const auto captions = Captions(Pca2(3000, t1, d1, t2, d2));
        EXPECT_EQ(captions[3], t1 + " " + d1);
        EXPECT_EQ(captions[4], t2 + " " + d2);
    }
}

TEST(SpmCaptions, Pca3ShowsElevenByteStampsUnchanged)
{
    std::string image = Put(std::string(4546, ' '), 0, "pca3.exe");
    image = Put(image, 362, "12:34:56   Jan  5  2001 12:34:56   Jan  5  2001");
    image = Put(image, 386, "10/03/1999X!!ab\0defghijkZ"s);
    const SpmSpectrum s = Parse(image);
    EXPECT_FALSE(s.info.FirstStamp.Decoded || s.info.SecondStamp.Decoded);
    const auto captions = SpmInfoCaptions(s.info, kFixed);
    EXPECT_EQ(captions[3], "10/03/1999X");
    EXPECT_EQ(captions[4], "ab");
    EXPECT_EQ(captions[5], "Mode : PCA3  (Header: 450)");
}

} // namespace
} // namespace trv
