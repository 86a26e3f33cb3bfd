#include "export/AsciiExport.h"
#include "platform/AppError.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

namespace trv {
namespace {

std::string ReadDataFile(const std::string& name)
{
    std::ifstream in(std::string(TRV_TEST_DATA_DIR) + "/" + name, std::ios::binary);
    EXPECT_TRUE(in) << name;
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

std::vector<uint32_t> ReadCounts(const std::string& name)
{
    std::istringstream in(ReadDataFile(name));
    std::vector<uint32_t> counts;
    for (unsigned long v = 0; in >> v;)
        counts.push_back(static_cast<uint32_t>(v));
    return counts;
}

std::vector<std::string> SplitLines(const std::string& table)
{
    std::vector<std::string> lines;
    std::size_t start = 0;
    for (std::size_t crlf; (crlf = table.find("\r\n", start)) != std::string::npos;
         start = crlf + 2) {
        lines.push_back(table.substr(start, crlf - start));
    }
    EXPECT_EQ(start, table.size()) << "text after the last CR LF";
    return lines;
}

std::string XOf(const std::string& line)
{
    return line.substr(0, line.find('\t'));
}

// A 1024-channel spectrum starting 10, 12, 7, 9, then a pattern with an odd pair sum.
std::vector<uint32_t> ExampleCounts()
{
    std::vector<uint32_t> counts(1024);
    for (std::size_t i = 0; i < counts.size(); ++i)
        counts[i] = static_cast<uint32_t>(i % 50);
    counts[0] = 10;
    counts[1] = 12;
    counts[2] = 7;
    counts[3] = 9;
    counts[4] = 7;
    counts[5] = 8;
    return counts;
}

TEST(BuildASCIITable, WorkedExampleMeanVelocity)
{
    const std::string table =
        BuildASCIITable(ExampleCounts(), 1024, 2, kXAxisVelocity, "128.00", "0.09135", '.');
    EXPECT_EQ(table.substr(0, 36), "-11.6928\t11\r\n-11.60145\t8\r\n-11.5101\t7");
    const auto lines = SplitLines(table);
    ASSERT_EQ(lines.size(), 512u);
    EXPECT_EQ(lines[2], "-11.5101\t7"); // (7 + 8) / 2 rounds down
    EXPECT_EQ(XOf(lines[128]), "0");    // whole-number Z gives a plain 0, never -0
    EXPECT_EQ(XOf(lines[511]), "34.98705");
}

TEST(BuildASCIITable, WorkedExampleOtherChoices)
{
    const auto counts = ExampleCounts();
    EXPECT_EQ(
        BuildASCIITable(counts, 1024, 1, kXAxisVelocity, "128.00", "0.09135", '.').substr(0, 27),
        "-11.6928\t22\r\n-11.60145\t16\r\n");
    const auto channel = SplitLines(BuildASCIITable(counts, 1024, 2, kXAxisChannel, "", "", '.'));
    ASSERT_EQ(channel.size(), 512u);
    EXPECT_EQ(channel[0], "0\t11");
    EXPECT_EQ(channel[1], "1\t8");
    EXPECT_EQ(channel[511], "511\t" + std::to_string((counts[1022] + counts[1023]) / 2));

    const auto all = SplitLines(BuildASCIITable(counts, 1024, 0, kXAxisChannel, "", "", '.'));
    ASSERT_EQ(all.size(), 1024u);
    EXPECT_EQ(all[1023], "1023\t" + std::to_string(counts[1023]));
}

TEST(BuildASCIITable, LocaleDecimalSeparator)
{
    const auto lines = SplitLines(
        BuildASCIITable(ExampleCounts(), 1024, 2, kXAxisVelocity, "128.00", "0.09135", ','));
    EXPECT_EQ(lines[0], "-11,6928\t11");
    EXPECT_EQ(XOf(lines[511]), "34,98705");
}

TEST(BuildASCIITable, GoldenChannelAxis512)
{
    const auto counts = ReadCounts("counts512.txt");
    ASSERT_EQ(counts.size(), 512u);
    // A 512-channel spectrum ignores the mode and never reads the header texts.
    for (int mode : {0, 1, 2}) {
        EXPECT_EQ(BuildASCIITable(counts, 512, mode, kXAxisChannel, "junk", "", '.'),
                  ReadDataFile("table_channel_512.txt"))
            << "mode " << mode;
    }
}

TEST(BuildASCIITable, GoldenVelocityAxis1024)
{
    const auto counts = ReadCounts("counts1024.txt");
    ASSERT_EQ(counts.size(), 1024u);
    EXPECT_EQ(BuildASCIITable(counts, 1024, 0, kXAxisVelocity, " 255.37", "0.1234567890123", '.'),
              ReadDataFile("table_velocity_1024.txt"));
}

TEST(BuildASCIITable, BadHeaderNumberStopsBeforeAnyOutput)
{
    const auto counts = ExampleCounts();
    const struct {
        const char* zero;
        const char* calibration;
        const char* message;
    } cases[] = {
        {"12 .00", "0.09135", "'12 .00' is not a valid floating point value"},
        {"128.00", "0,09135", "'0,09135' is not a valid floating point value"},
        {"   .  ", "0.09135", "'   .  ' is not a valid floating point value"},
    };
    for (const auto& c : cases) {
        try {
            const std::string table =
                BuildASCIITable(counts, 1024, 1, kXAxisVelocity, c.zero, c.calibration, '.');
            ADD_FAILURE() << "built " << table.size() << " bytes";
        }
        catch (const AppError& e) {
            EXPECT_STREQ(e.what(), c.message);
        }
    }
}

TEST(BuildASCIITable, PairSumsWrapAndStayUnsigned)
{
    std::vector<uint32_t> counts(1024, 0);
    counts[0] = 4294967295u;
    counts[1] = 1;
    counts[2] = 4294967295u;
    counts[3] = 0;
    const auto add = SplitLines(BuildASCIITable(counts, 1024, 1, kXAxisChannel, "", "", '.'));
    EXPECT_EQ(add[0], "0\t0");
    EXPECT_EQ(add[1], "1\t4294967295");
    const auto mean = SplitLines(BuildASCIITable(counts, 1024, 2, kXAxisChannel, "", "", '.'));
    EXPECT_EQ(mean[0], "0\t0");
    EXPECT_EQ(mean[1], "1\t2147483647");
}

TEST(BuildASCIITable, NoSpectrumGivesEmptyTable)
{
    EXPECT_EQ(BuildASCIITable({}, 0, 1, kXAxisChannel, "", "", '.'), "");
    EXPECT_EQ(BuildASCIITable({}, 0, 1, kXAxisVelocity, "128.00", "0.09135", '.'), "");
}

} // namespace
} // namespace trv
