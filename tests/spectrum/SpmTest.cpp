#include "../platform/BadCorpus.h"
#include "../platform/FaultFolders.h"

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

TEST(SpmLayout, CountsAreLittleEndianUnsignedWordsAndTheNameIsTheLastComponent)
{
    std::string image =
        Put(std::string(3000, 0), 948, "\x11\x22\x33\x44\x01\x02\x03\x04\xFF\xFF\xFF\xFF"s);
    const SpmSpectrum s = Parse(image, "C:\\lab\\run 7/ha1234.spm");
    EXPECT_EQ(s.counts[0], 67305985u); // the word before the block is header, not a count
    EXPECT_EQ(s.counts[1], 4294967295u);
    EXPECT_EQ(s.info.FileName, "ha1234.spm");
    const std::pair<const char*, const char*> names[] = {
        {"C:\\data\\AB.SPM", "AB.SPM"}, {"C:ab.spm", "ab.spm"}, {"/data/", ""}, {"", ""}};
    for (const auto& [path, name] : names)
        EXPECT_EQ(LastPathComponent(path), name) << path;
}

TEST(SpmDate, MonthNumberIsExactAndCaseSensitive)
{
    const char* months[] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                            "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
    for (int i = 0; i < 12; ++i)
        EXPECT_EQ(MonthNumber(months[i]), i + 1) << months[i];
    for (const char* text : {"jan", "JAN", "Ja", "Janu", "", " Jan", "Sept"})
        EXPECT_EQ(MonthNumber(text), 0) << '"' << text << '"';
}

TEST(SpmDate, Pca2StampFieldsDecodeIntoDateAndTime)
{
    const std::string t = "12:34:56   ";
    const StampValue no{-1};
    // clang-format off
    const struct {
        std::string time, date;
        StampValue value; // `no`: not decoded
    } cases[] = {
        {t, "Jan  5  2001", {2001, 1, 5, 12, 34, 56, 0}},
        {"12:34:56\0\0\0"s, "Jan  5  2001", no}, // zero-byte padding
        {t, "Feb 29  2001", no}, {t, "Feb 29  1900", no},
        {t, "Feb 29  2000", {2000, 2, 29, 12, 34, 56, 0}}, {t, "Apr 31  2001", no},
        {t, "Dec 31  0000", no}, {t, "Dec 31    99", {99, 12, 31, 12, 34, 56, 0}},
        {t, "Dec 31  199 ", no}, {t, "Dec     1999", no},
        {t, "Dec\x01\x00\x35xx1999"s, {1999, 12, 5, 12, 34, 56, 0}}, // control byte dropped
        {t, "Dec-07-+199", {199, 12, 7, 12, 34, 56, 0}}, {t, "Dec-07  -199", no},
        {" 1 : 2 : 3 ", "Mar 09 .1999", {1999, 3, 9, 1, 2, 3, 0}},
        {"11:05:00 PM", "Oct 12  1998", {1998, 10, 12, 23, 5, 0, 0}},
        {"1", "Jan  5  20", {20, 1, 5, 1, 0, 0, 0}}, // short fields: nothing read beyond them
        {"12:34:56", "Jan  5  ", no},
    };
    // clang-format on
    for (const auto& c : cases) {
        SCOPED_TRACE("time \"" + c.time + "\" date \"" + c.date + "\"");
        const auto value = DecodePca2Stamp(c.time, c.date, kFixed);
        EXPECT_EQ(value.value_or(no), c.value);
    }
}

// Each text with the time it reads as, "h:m:s.ms", or "-" when refused.
using Times = std::vector<std::pair<const char*, const char*>>;

void CheckTimes(const Times& cases, const LocaleFormats& locale)
{
    for (const auto& [text, expected] : cases) {
        const auto v = ParseTimeOfDay(text, locale);
        EXPECT_EQ(v ? std::to_string(v->hour) + ":" + std::to_string(v->minute) + ":" +
                          std::to_string(v->second) + "." + std::to_string(v->msec)
                    : "-",
                  expected)
            << '"' << text << '"';
    }
}

TEST(SpmTime, GrammarWithFixedLocale)
{
    // clang-format off
    const Times cases = {
        {"12:34:56", "12:34:56.0"}, {"23", "23:0:0.0"}, {"24", "-"}, {"1:2:3.4", "1:2:3.4"},
        {"23:59:59.999", "23:59:59.999"}, {"1:2:3.1000", "-"}, {"1:60", "-"}, {"1:2.5", "-"},
        {"0001:0002:0003.0004", "1:2:3.4"}, {"00001", "-"}, {"12AM", "0:0:0.0"}, {"12PM", "12:0:0.0"},
        {"11:59:59.5pM", "23:59:59.5"}, {"AM12:30", "0:30:0.0"}, {"pm1", "13:0:0.0"}, {"0AM", "-"},
        {"13PM", "-"}, {"PM1PM", "-"}, {"AM", "-"}, {"", "-"},
        {"12::34", "-"}, {"12:34:56.", "-"}, {"1 2", "-"}, {"+1", "-"},
    };
    // clang-format on
    CheckTimes(cases, kFixed);
    EXPECT_FALSE(ParseTimeOfDay("12:34:56\0"s, kFixed)) << "a trailing zero byte is not blank";
}

TEST(SpmTime, SeparatorsAndDayHalfWordsComeFromTheLocale)
{
    LocaleFormats locale = kFixed;
    locale.timeSeparator = '.';
    locale.decimalSeparator = ',';
    locale.amWord = "vorm.";
    locale.pmWord = "nachm.";
    // clang-format off
    const Times cases = {
        {"12.34.56,789", "12:34:56.789"}, {"12:34:56", "-"}, {"12.34.56.789", "-"}, {"1nachm", "-"},
        {"1.05NACHM.", "13:5:0.0"}, {"vorm.12.01", "0:1:0.0"},
        {"1PM", "13:0:0.0"}, // the English words always work
    };
    // clang-format on
    CheckTimes(cases, locale);
    // A user's word that is a prefix of an English one does not hide it.
    locale = kFixed;
    locale.amWord = "A";
    locale.pmWord = "";
    const Times prefix = {{"1AM", "1:0:0.0"}, {"1A", "1:0:0.0"}, {"1", "1:0:0.0"}};
    CheckTimes(prefix, locale);
}

TEST(SpmDisplay, DecodedStampsShowDateAndTimeUndecodedTheRawTextToTheFirstZero)
{
    // Midnight drops the time, unless a millisecond is set.
    const std::pair<StampValue, const char*> decoded[] = {
        {{2001, 1, 5, 0, 0, 0, 0}, "05/01/2001"},
        {{2001, 1, 5, 0, 0, 0, 1}, "05/01/2001 00:00:00"}};
    for (const auto& [value, text] : decoded)
        EXPECT_EQ(StampDisplayText(Stamp{"raw", true, value}, kFixed), text);
    EXPECT_EQ(StampDisplayText(Stamp{"12:3\0:56   Jan"s, false, {}}, kFixed), "12:3");
}

TEST(SpmDisplay, FormatLettersFollowTheLocale)
{
    LocaleFormats locale = kFixed;
    locale.amWord = "vorm.";
    locale.pmWord = "nachm.";
    const StampValue pm{1998, 10, 4, 15, 7, 9, 42};
    const StampValue midnight{2024, 2, 29, 0, 5, 0, 0};
    // clang-format off
    const std::tuple<StampValue, const char*, const char*> cases[] = {
        {pm, "d.M.yy", "4.10.98"}, {pm, "ddd d MMM yyyy", "Sun 4 Oct 1998"},
        {pm, "dddd, MMMM d", "Sunday, October 4"}, {pm, "h:mm:ss AP", "3:07:09 NACHM."},
        {pm, "hh:mm ap", "03:07 nachm."}, {pm, "H:m:s.zzz", "15:7:9.042"},
        {pm, "h 'o''clock'", "15 o'clock"}, {midnight, "h:mm AP", "12:05 VORM."},
        {midnight, "HH:mm:ss t", "00:05:00 "}, {{5, 1, 1, 0, 0, 0, 0}, "yyyy/yy", "0005/05"},
    };
    // clang-format on
    for (const auto& [value, format, text] : cases)
        EXPECT_EQ(FormatStampValue(value, format, locale), text) << format;
    for (int month : {0, 13, -1}) // impossible dates must not read outside the name tables
        EXPECT_FALSE(
            FormatStampValue({2001, month, 5, 1, 2, 3, 0}, "dddd MMMM MMM", locale).empty());
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
    // Raw text is cut at its first zero byte.
    EXPECT_EQ(Captions(Pca2(2048, "12:34:56\0\0\0"s, date, "x", "y"))[3], "12:34:56");
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
