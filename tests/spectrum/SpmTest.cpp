#include "spectrum/Spm.h"
#include "platform/AppError.h"

#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <string>
#include <vector>

namespace trv {
namespace {

using namespace std::string_literals;

const LocaleFormats kFixed = LocaleFormats::Fixed();

// Builds an SPM image byte by byte.
class SpmBytes {
  public:
    explicit SpmBytes(size_t size, char fill = '\0') : bytes_(size, fill) {}

    SpmBytes& Put(size_t offset, std::string_view text)
    {
        EXPECT_LE(offset + text.size(), bytes_.size()) << "test image too small";
        bytes_.replace(offset, text.size(), text);
        return *this;
    }
    SpmBytes& PutU32(size_t offset, uint32_t value)
    {
        const char le[4] = {static_cast<char>(value & 0xFF), static_cast<char>((value >> 8) & 0xFF),
                            static_cast<char>((value >> 16) & 0xFF),
                            static_cast<char>((value >> 24) & 0xFF)};
        return Put(offset, std::string_view(le, 4));
    }
    SpmBytes& Pca2Stamps(std::string_view time1, std::string_view date1, std::string_view time2,
                         std::string_view date2)
    {
        return Put(362, time1).Put(375, date1).Put(388, time2).Put(401, date2);
    }
    const std::string& str() const { return bytes_; }

  private:
    std::string bytes_;
};

// Parses from a heap block of exactly the image's size, so a read past the end is caught
// by the address sanitizer instead of landing on a string's terminator.
SpmSpectrum Parse(const std::string& bytes, std::string_view path = "test.spm",
                  const LocaleFormats& locale = kFixed)
{
    std::unique_ptr<char[]> exact(new char[bytes.size()]);
    if (!bytes.empty()) std::memcpy(exact.get(), bytes.data(), bytes.size());
    return ParseSpmImage(std::string_view(exact.get(), bytes.size()), path, locale);
}

std::string ErrorOf(const std::string& bytes)
{
    try {
        Parse(bytes);
    }
    catch (const AppError& e) {
        return e.what();
    }
    return "(no error)";
}

// ---- layout: channel count, variant, header length ----

TEST(SpmLayout, ChannelCountModeAndHeaderLengthFollowSizeAndMarker)
{
    struct Case {
        size_t size;
        bool marker;
        int32_t channels;
        SpmMode mode;
        int32_t header;
    };
    const Case cases[] = {
        {2048, false, 512, SpmMode::PCA2, 0},    {2560, false, 512, SpmMode::PCA2, 512},
        {3000, false, 512, SpmMode::PCA2, 952},  {4096, false, 1024, SpmMode::PCA2, 0},
        {5000, false, 1024, SpmMode::PCA2, 904}, {2498, true, 512, SpmMode::PCA3, 450},
        {3000, true, 512, SpmMode::PCA3, 450},   {4546, true, 1024, SpmMode::PCA3, 450},
        {9000, true, 1024, SpmMode::PCA3, 450},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.size << (c.marker ? " with marker" : ""));
        SpmBytes image(c.size);
        if (c.marker) image.Put(100, "pca3.exe");
        const SpmSpectrum s = Parse(image.str());
        EXPECT_EQ(s.info.FileSize, static_cast<int32_t>(c.size));
        EXPECT_EQ(s.info.ChannelCount, c.channels);
        EXPECT_EQ(s.info.Mode, c.mode);
        EXPECT_EQ(s.info.HeaderLength, c.header);
        EXPECT_EQ(s.counts.size(), static_cast<size_t>(c.channels));
    }
}

TEST(SpmLayout, MarkerIsFoundAnywhereButOnlyInLowerCase)
{
    struct Case {
        size_t offset;
        std::string text;
        SpmMode mode;
    };
    const Case cases[] = {
        {0, "pca3.exe", SpmMode::PCA3},    // very start
        {386, "pca3.exe", SpmMode::PCA3},  // inside a stamp field
        {450, "pca3.exe", SpmMode::PCA3},  // first count
        {2990, "pca3.exe", SpmMode::PCA3}, // deep in the count block, also the last byte
        {100, "PCA3.EXE", SpmMode::PCA2},  {100, "Pca3.exe", SpmMode::PCA2},
        {2993, "pca3.ex", SpmMode::PCA2}, // cut by the end of the file
        {100, "pca3 exe", SpmMode::PCA2},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text + " at " + std::to_string(c.offset));
        EXPECT_EQ(Parse(SpmBytes(3000).Put(c.offset, c.text).str()).info.Mode, c.mode);
    }
}

TEST(SpmLayout, FileNameIsLastPathComponent)
{
    const std::pair<const char*, const char*> cases[] = {
        {"ha1234.spm", "ha1234.spm"},
        {"/home/lab/data/ha1234.spm", "ha1234.spm"},
        {"C:\\data\\run 7\\AB.SPM", "AB.SPM"},
        {"C:ab.spm", "ab.spm"},
        {"/data/", ""},
        {"", ""},
    };
    for (const auto& [path, name] : cases) {
        EXPECT_EQ(LastPathComponent(path), name) << path;
    }
    EXPECT_EQ(Parse(SpmBytes(2048).str(), "/x/y/run.spm").info.FileName, "run.spm");
}

// ---- counts ----

TEST(SpmCounts, LittleEndianUnsignedWordsFromHeaderLength)
{
    SpmBytes image(3000);
    image.Put(952, "\x01\x02\x03\x04"s).Put(956, "\xFF\xFF\xFF\xFF"s).PutU32(2996, 0x80000000u);
    image.Put(948, "\x11\x22\x33\x44"s); // just before the block: header, not a count
    const SpmSpectrum s = Parse(image.str());
    ASSERT_EQ(s.counts.size(), 512u);
    EXPECT_EQ(s.counts[0], 67305985u);
    EXPECT_EQ(s.counts[1], 4294967295u);
    EXPECT_EQ(s.counts[2], 0u);
    EXPECT_EQ(s.counts[511], 2147483648u);
}

TEST(SpmCounts, Pca3CountsStartAt450AndIgnoreTrailingBytes)
{
    SpmBytes image(4546 + 20, '\x7F');
    image.Put(10, "pca3.exe");
    for (uint32_t i = 0; i < 1024; ++i)
        image.PutU32(450 + 4 * i, i * 1000003u);
    const SpmSpectrum s = Parse(image.str());
    ASSERT_EQ(s.counts.size(), 1024u);
    for (uint32_t i = 0; i < 1024; ++i)
        ASSERT_EQ(s.counts[i], i * 1000003u) << i;
}

TEST(SpmCounts, Pca2CountsAreTheLastBytesOfTheFile)
{
    SpmBytes image(5000, '\x01');
    for (uint32_t i = 0; i < 1024; ++i)
        image.PutU32(904 + 4 * i, 0xFFFFFFFFu - i);
    const SpmSpectrum s = Parse(image.str());
    ASSERT_EQ(s.counts.size(), 1024u);
    EXPECT_EQ(s.counts.front(), 0xFFFFFFFFu);
    EXPECT_EQ(s.counts.back(), 0xFFFFFFFFu - 1023);
}

// ---- malformed sizes ----

// Every size from empty to beyond the largest boundary: the valid ones parse with exactly
// ChannelCount counts whose last word is the file's last bytes (PCA2) or ends at 450 + 4N
// (PCA3); the others are refused with one of the two texts, and nothing reads outside.
TEST(SpmMalformed, EverySizeIsEitherParsedOrRefusedForBothVariants)
{
    for (bool pca3 : {false, true}) {
        for (size_t size = pca3 ? 8 : 0; size <= 6000; ++size) {
            SpmBytes image(size, '\x5A');
            if (pca3) image.Put(0, "pca3.exe");
            const size_t channels = size <= 3000 ? 512 : 1024;
            const size_t header = pca3 ? 450 : size - 4 * channels; // wraps when negative
            const bool valid = pca3 ? size >= 450 + 4 * channels : size >= 4 * channels;
            if (valid) image.PutU32(header + 4 * (channels - 1), static_cast<uint32_t>(size));
            SCOPED_TRACE(testing::Message() << (pca3 ? "PCA3 " : "PCA2 ") << size << " bytes");
            if (valid) {
                SpmSpectrum s;
                ASSERT_NO_THROW(s = Parse(image.str()));
                ASSERT_EQ(s.counts.size(), channels);
                ASSERT_EQ(s.info.HeaderLength, static_cast<int32_t>(header));
                ASSERT_EQ(s.counts.back(), static_cast<uint32_t>(size));
            }
            else {
                const std::string error = ErrorOf(image.str());
                const bool negativeHeader = !pca3 && size < 4 * channels;
                ASSERT_EQ(error, negativeHeader ? kSpmTooShortText : kSpmCountsPastEndText);
            }
        }
    }
}

TEST(SpmMalformed, RefusalTextsNameTheReason)
{
    EXPECT_EQ(ErrorOf(SpmBytes(3001).str()),
              "Not a valid SPM file: the file is too short for its header");
    EXPECT_EQ(ErrorOf(SpmBytes(2047).str()),
              "Not a valid SPM file: the file is too short for its header");
    EXPECT_EQ(ErrorOf(SpmBytes(4545).Put(0, "pca3.exe").str()),
              "Not a valid SPM file: the count block runs past the end of the file");
    EXPECT_EQ(ErrorOf(SpmBytes(2497).Put(0, "pca3.exe").str()),
              "Not a valid SPM file: the count block runs past the end of the file");
}

// ---- month and date ----

TEST(SpmDate, MonthNumberIsExactAndCaseSensitive)
{
    const char* months[] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                            "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
    for (int i = 0; i < 12; ++i)
        EXPECT_EQ(MonthNumber(months[i]), i + 1) << months[i];
    for (const char* text : {"jan", "JAN", "Ja", "Janu", "", " Jan", "Jan ", "Dez", "Sept"})
        EXPECT_EQ(MonthNumber(text), 0) << '"' << text << '"';
}

TEST(SpmDate, Pca2StampFieldsDecodeIntoDateAndTime)
{
    struct Case {
        std::string time;
        std::string date;
        bool decoded;
        StampValue value;
    };
    const Case cases[] = {
        {"12:34:56   ", "Jan  5  2001", true, {2001, 1, 5, 12, 34, 56, 0}},
        {"12:34:56   ", "jan  5  2001", false, {}}, // month in lower case
        {"12:34:56   ", "JAN  5  2001", false, {}},
        {"12:34:56\0\0\0"s, "Jan  5  2001", false, {}}, // zero-byte padding
        {"12:34:56   ", "Feb 29  2001", false, {}},     // not a leap year
        {"12:34:56   ", "Feb 29  1900", false, {}},
        {"12:34:56   ", "Feb 29  2000", true, {2000, 2, 29, 12, 34, 56, 0}},
        {"12:34:56   ", "Feb 29  2004", true, {2004, 2, 29, 12, 34, 56, 0}},
        {"12:34:56   ", "Apr 31  2001", false, {}},
        {"12:34:56   ", "Dec 31  9999", true, {9999, 12, 31, 12, 34, 56, 0}},
        {"12:34:56   ", "Dec 31  0000", false, {}}, // year 0
        {"12:34:56   ", "Dec 31    99", true, {99, 12, 31, 12, 34, 56, 0}},
        {"12:34:56   ", "Dec 31  199 ", false, {}}, // trailing blank
        {"12:34:56   ", "Dec 00  1999", false, {}},
        {"12:34:56   ", "Dec 32  1999", false, {}},
        {"12:34:56   ", "Dec 1x  1999", false, {}},
        {"12:34:56   ", "Dec     1999", false, {}}, // no day
        {"12:34:56   ", "Dec\x01\x00\x35\x1F\x31\x39\x39\x39"s + "  ", false, {}},
        {"12:34:56   ", "Dec\x01\x00\x35xx1999"s, true, {1999, 12, 5, 12, 34, 56, 0}},
        {"12:34:56   ", "Dec 5\tab1999", true, {1999, 12, 5, 12, 34, 56, 0}}, // tab dropped
        {"12:34:56   ", "Dec-07-+199", true, {199, 12, 7, 12, 34, 56, 0}},
        {"12:34:56   ", "Dec-07  -199", false, {}},
        {" 1 : 2 : 3 ", "Mar 09  ,999", false, {}},
        {" 1 : 2 : 3 ", "Mar 09 .1999", true, {1999, 3, 9, 1, 2, 3, 0}},
        {"11:05:00 PM", "Oct 12  1998", true, {1998, 10, 12, 23, 5, 0, 0}},
        {"00:00:00   ", "Oct 12  1998", true, {1998, 10, 12, 0, 0, 0, 0}},
        {"25:00:00   ", "Oct 12  1998", false, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE("time \"" + c.time + "\" date \"" + c.date + "\"");
        const auto value = DecodePca2Stamp(c.time, c.date, kFixed);
        ASSERT_EQ(value.has_value(), c.decoded);
        if (c.decoded) {
            EXPECT_EQ(*value, c.value);
        }
    }
}

TEST(SpmDate, ShortFieldsFailWithoutReadingBeyondThem)
{
    EXPECT_TRUE(DecodePca2Stamp("12:34:56", "Jan  5  20", kFixed)); // the year 20
    EXPECT_FALSE(DecodePca2Stamp("12:34:56", "Jan  5  ", kFixed));
    EXPECT_FALSE(DecodePca2Stamp("12:34:56", "Jan  5", kFixed));
    EXPECT_FALSE(DecodePca2Stamp("12:34:56", "Ja", kFixed));
    EXPECT_FALSE(DecodePca2Stamp("", "", kFixed));
    EXPECT_TRUE(DecodePca2Stamp("1", "Jan  5  2001", kFixed));
}

// ---- time grammar ----

struct TimeCase {
    const char* text;
    bool ok;
    int hour = 0, minute = 0, second = 0, msec = 0;
};

void CheckTimes(const std::vector<TimeCase>& cases, const LocaleFormats& locale)
{
    for (const TimeCase& c : cases) {
        SCOPED_TRACE(std::string("\"") + c.text + "\"");
        const auto value = ParseTimeOfDay(c.text, locale);
        ASSERT_EQ(value.has_value(), c.ok);
        if (c.ok) {
            EXPECT_EQ(value->hour, c.hour);
            EXPECT_EQ(value->minute, c.minute);
            EXPECT_EQ(value->second, c.second);
            EXPECT_EQ(value->msec, c.msec);
        }
    }
}

TEST(SpmTime, GrammarWithFixedLocale)
{
    CheckTimes(
        {
            {"12:34:56", true, 12, 34, 56, 0},
            {"0", true, 0, 0, 0, 0},
            {"23", true, 23, 0, 0, 0},
            {"24", false},
            {"1:2", true, 1, 2, 0, 0},
            {"1:2:3.4", true, 1, 2, 3, 4},
            {"23:59:59.999", true, 23, 59, 59, 999},
            {"1:2:3.1000", false},
            {"1:60", false},
            {"1:2:60", false},
            {"1:2.5", false}, // milliseconds only after seconds
            {"0001:0002:0003.0004", true, 1, 2, 3, 4},
            {"00001", false}, // five digits
            {"1:00060", false},
            {"1:2:3.00001", false},
            {"12AM", true, 0, 0, 0, 0},
            {"12:30am", true, 0, 30, 0, 0},
            {"12PM", true, 12, 0, 0, 0},
            {"1PM", true, 13, 0, 0, 0},
            {"11:59:59.5pM", true, 23, 59, 59, 5},
            {"AM12:30", true, 0, 30, 0, 0},
            {"pm1", true, 13, 0, 0, 0},
            {"PM11:05:00", true, 23, 5, 0, 0},
            {"0AM", false},
            {"13PM", false},
            {"00:30PM", false},
            {"PM1PM", false},
            {"AM", false},
            {"", false},
            {"12:", false},
            {"12::34", false},
            {":12", false},
            {"12:34:56x", false},
            {"12:34:56.", false},
            {"1 2", false},
            {"-1", false},
            {"+1", false},
            {"12.34", false},
        },
        kFixed);
}

TEST(SpmTime, TrailingZeroByteIsSomethingElse)
{
    EXPECT_FALSE(ParseTimeOfDay("12:34:56\0"s, kFixed));
    EXPECT_FALSE(ParseTimeOfDay("\0"s, kFixed));
}

TEST(SpmTime, SeparatorsAndDayHalfWordsComeFromTheLocale)
{
    LocaleFormats locale = kFixed;
    locale.timeSeparator = '.';
    locale.decimalSeparator = ',';
    locale.amWord = "vorm.";
    locale.pmWord = "nachm.";
    CheckTimes(
        {
            {"12.34.56,789", true, 12, 34, 56, 789},
            {"12:34:56", false},
            {"12.34.56.789", false},
            {"1nachm.", true, 13, 0, 0, 0},
            {"1.05NACHM.", true, 13, 5, 0, 0},
            {"vorm.12.01", true, 0, 1, 0, 0},
            {"1PM", true, 13, 0, 0, 0}, // the English words always work
            {"1nachm", false},
        },
        locale);

    // A user's word that is a prefix of an English one does not hide it.
    locale = kFixed;
    locale.amWord = "A";
    locale.pmWord = "";
    CheckTimes({{"1AM", true, 1, 0, 0, 0},
                {"1A", true, 1, 0, 0, 0},
                {"AM1", true, 1, 0, 0, 0},
                {"1", true, 1, 0, 0, 0}},
               locale);
}

// ---- display ----

Stamp DecodedStamp(StampValue value)
{
    Stamp stamp;
    stamp.RawText = "raw";
    stamp.Decoded = true;
    stamp.Value = value;
    return stamp;
}

TEST(SpmDisplay, ShortDateBlankLongTimeAndMidnightDropsTheTime)
{
    EXPECT_EQ(StampDisplayText(DecodedStamp({2001, 1, 5, 12, 34, 56, 0}), kFixed),
              "05/01/2001 12:34:56");
    EXPECT_EQ(StampDisplayText(DecodedStamp({2001, 1, 5, 0, 0, 0, 0}), kFixed), "05/01/2001");
    EXPECT_EQ(StampDisplayText(DecodedStamp({2001, 1, 5, 0, 0, 0, 1}), kFixed),
              "05/01/2001 00:00:00");
    EXPECT_EQ(StampDisplayText(DecodedStamp({2001, 1, 5, 0, 0, 1, 0}), kFixed),
              "05/01/2001 00:00:01");
}

TEST(SpmDisplay, UndecodedShowsRawTextUpToFirstZero)
{
    Stamp stamp;
    stamp.RawText = "12:3\0:56   Jan"s;
    EXPECT_EQ(StampDisplayText(stamp, kFixed), "12:3");
    stamp.RawText = "no zero here";
    EXPECT_EQ(StampDisplayText(stamp, kFixed), "no zero here");
}

TEST(SpmDisplay, FormatLettersFollowTheLocale)
{
    LocaleFormats locale = kFixed;
    locale.amWord = "vorm.";
    locale.pmWord = "nachm.";
    const StampValue afternoon{1998, 10, 4, 15, 7, 9, 42};
    const StampValue midnight{2024, 2, 29, 0, 5, 0, 0};
    struct Case {
        StampValue value;
        const char* format;
        const char* text;
    };
    const Case cases[] = {
        {afternoon, "yyyy-MM-dd", "1998-10-04"},
        {afternoon, "d.M.yy", "4.10.98"},
        {afternoon, "ddd d MMM yyyy", "Sun 4 Oct 1998"},
        {afternoon, "dddd, MMMM d", "Sunday, October 4"},
        {midnight, "ddd", "Thu"},
        {afternoon, "h:mm:ss AP", "3:07:09 NACHM."},
        {afternoon, "hh:mm ap", "03:07 nachm."},
        {afternoon, "H:m:s.zzz", "15:7:9.042"},
        {afternoon, "HH'h'mm", "15h07"},
        {afternoon, "h 'o''clock'", "15 o'clock"},
        {midnight, "h:mm AP", "12:05 VORM."},
        {midnight, "HH:mm:ss t", "00:05:00 "},
        {{5, 1, 1, 0, 0, 0, 0}, "yyyy/yy", "0005/05"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(FormatStampValue(c.value, c.format, locale), c.text) << c.format;
    }
}

// ---- captions ----

SpmBytes Pca2Image(size_t size, std::string_view time1, std::string_view date1,
                   std::string_view time2, std::string_view date2)
{
    SpmBytes image(size, ' ');
    image.Pca2Stamps(time1, date1, time2, date2);
    return image;
}

TEST(SpmCaptions, Pca2WithBothStampsDecoded)
{
    const SpmSpectrum s =
        Parse(Pca2Image(2560, "12:34:56   ", "Jan  5  2001", "01:00:00 PM", "Jan  6  2001").str(),
              "C:\\lab\\ha1234.spm");
    const auto captions = SpmInfoCaptions(s.info, kFixed);
    EXPECT_EQ(captions[0], "ha1234.spm");
    EXPECT_EQ(captions[1], "2560 bytes");
    EXPECT_EQ(captions[2], "512 channels");
    EXPECT_EQ(captions[3], "05/01/2001 12:34:56");
    EXPECT_EQ(captions[4], "06/01/2001 13:00:00");
    EXPECT_EQ(captions[5], "Mode : PCA2  (Header: 512)");
}

TEST(SpmCaptions, Pca2ShowsBothRawWhenEitherFails)
{
    const std::string good = "12:34:56   ", goodDate = "Jan  5  2001";
    const std::string bad = "12:34:99   ", badDate = "Jab  5  2001";
    struct Case {
        std::string t1, d1, t2, d2;
    };
    const Case cases[] = {{good, goodDate, bad, goodDate},
                          {bad, goodDate, good, goodDate},
                          {good, badDate, good, goodDate},
                          {good, goodDate, good, badDate}};
    for (const Case& c : cases) {
        const SpmSpectrum s = Parse(Pca2Image(3000, c.t1, c.d1, c.t2, c.d2).str());
        const auto captions = SpmInfoCaptions(s.info, kFixed);
        EXPECT_EQ(captions[3], c.t1 + " " + c.d1);
        EXPECT_EQ(captions[4], c.t2 + " " + c.d2);
        EXPECT_EQ(captions[5], "Mode : PCA2  (Header: 952)");
    }
    // The first stamp decoded on its own; only the captions hold it back.
    const SpmSpectrum s = Parse(Pca2Image(3000, good, goodDate, bad, goodDate).str());
    EXPECT_TRUE(s.info.FirstStamp.Decoded);
    EXPECT_FALSE(s.info.SecondStamp.Decoded);
}

TEST(SpmCaptions, Pca2RawTextIsTimeBlankDateCutAtZero)
{
    SpmBytes image(2048);
    image.Pca2Stamps("12:34:56\0\0\0"s, "Jan  5  2001", "ab cd", "x");
    const SpmSpectrum s = Parse(image.str());
    EXPECT_EQ(s.info.FirstStamp.RawText, "12:34:56\0\0\0 Jan  5  2001"s);
    EXPECT_EQ(s.info.SecondStamp.RawText.size(), 24u);
    const auto captions = SpmInfoCaptions(s.info, kFixed);
    EXPECT_EQ(captions[3], "12:34:56");
    EXPECT_EQ(captions[4], "ab cd");
    EXPECT_EQ(captions[5], "Mode : PCA2  (Header: 0)");
}

TEST(SpmCaptions, Pca3ShowsElevenByteStampsUnchanged)
{
    SpmBytes image(4546, ' ');
    image.Put(0, "pca3.exe").Put(362, "12:34:56   Jan  5  2001 12:34:56   Jan  5  2001");
    image.Put(386, "10/03/1999X").Put(397, "!!").Put(399, "ab\0defghijk"s).Put(410, "Z");
    const SpmSpectrum s = Parse(image.str());
    EXPECT_FALSE(s.info.FirstStamp.Decoded);
    EXPECT_FALSE(s.info.SecondStamp.Decoded);
    EXPECT_EQ(s.info.FirstStamp.RawText, "10/03/1999X");
    const auto captions = SpmInfoCaptions(s.info, kFixed);
    EXPECT_EQ(captions[1], "4546 bytes");
    EXPECT_EQ(captions[2], "1024 channels");
    EXPECT_EQ(captions[3], "10/03/1999X");
    EXPECT_EQ(captions[4], "ab");
    EXPECT_EQ(captions[5], "Mode : PCA3  (Header: 450)");

    image.Put(386, "abc\0efghijk"s);
    EXPECT_EQ(SpmInfoCaptions(Parse(image.str()).info, kFixed)[3], "abc");
}

// ---- the system's locale formats ----

// Whatever the machine's locale, a time formatted with its long time format must read back
// through the stamp grammar, or decoded stamps would never match what the user sees.
TEST(SpmLocale, SystemFormatsRoundTripThroughTheGrammar)
{
    const LocaleFormats locale = LocaleFormats::System();
    EXPECT_FALSE(locale.shortDateFormat.empty());
    EXPECT_FALSE(locale.longTimeFormat.empty());
    EXPECT_EQ(locale.longTimeFormat.find('t'), std::string::npos);
    if (locale.longTimeFormat.find('\'') != std::string::npos)
        GTEST_SKIP() << "the locale's time format has literal text: " << locale.longTimeFormat;
    for (StampValue v :
         {StampValue{2001, 1, 5, 13, 4, 5, 0}, StampValue{2001, 1, 5, 0, 59, 1, 0}}) {
        std::string text;
        for (char c : FormatStampValue(v, locale.longTimeFormat, locale))
            if (c != ' ') text += c;
        const auto back = ParseTimeOfDay(text, locale);
        ASSERT_TRUE(back.has_value()) << text;
        EXPECT_EQ(back->hour, v.hour);
        EXPECT_EQ(back->minute, v.minute);
    }
}

} // namespace
} // namespace trv
