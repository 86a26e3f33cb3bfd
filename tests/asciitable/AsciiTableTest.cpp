#include "support/FaultFolders.h"

#include "asciitable/AsciiExport.h"

#include <gtest/gtest.h>

#include <iterator>
#include <sstream>
#include <string>
#include <vector>

namespace trv {
namespace {

// Golden tables and their counts, written by tools/make-ascii-golden.py.
std::string DataFile(const std::string& name)
{
    return faults::ReadAll(std::string(TRV_TEST_DATA_DIR) + "/" + name);
}

std::vector<uint32_t> ReadCounts(const std::string& name)
{
    std::istringstream in(DataFile(name));
    return {std::istream_iterator<uint32_t>(in), std::istream_iterator<uint32_t>()};
}

std::vector<std::string> Lines(const std::string& table)
{
    std::vector<std::string> lines;
    std::size_t start = 0;
    for (std::size_t end; (end = table.find("\r\n", start)) != std::string::npos; start = end + 2)
        lines.push_back(table.substr(start, end - start));
    EXPECT_EQ(start, table.size()) << "text after the last CR LF";
    return lines;
}

// 1024 channels starting 10, 12, 7, 9, 7, 8, then a pattern with odd pair sums.
std::vector<uint32_t> ExampleCounts()
{
    std::vector<uint32_t> counts(1024);
    for (std::size_t i = 0; i < counts.size(); ++i)
        counts[i] = static_cast<uint32_t>(i % 50);
    const uint32_t start[] = {10, 12, 7, 9, 7, 8};
    std::copy(std::begin(start), std::end(start), counts.begin());
    return counts;
}

TEST(BuildASCIITable, WorkedExamples)
{
    const auto counts = ExampleCounts();
    auto table = [&](int mode, int axis, char separator) {
        return Lines(BuildASCIITable(counts, 1024, mode, axis, "128.00", "0.09135", separator));
    };
    const auto mean = table(2, kXAxisVelocity, '.');
    ASSERT_EQ(mean.size(), 512u);
    EXPECT_EQ(mean[0], "-11.6928\t11");
    EXPECT_EQ(mean[1], "-11.60145\t8");
    EXPECT_EQ(mean[2], "-11.5101\t7"); // (7 + 8) / 2 rounds down
    EXPECT_EQ(mean[128], "0\t6");      // whole-number Z gives a plain 0, never -0
    EXPECT_EQ(mean[511], "34.98705\t" + std::to_string((counts[1022] + counts[1023]) / 2));
    EXPECT_EQ(table(2, kXAxisVelocity, ',')[511].substr(0, 8), "34,98705");
    EXPECT_EQ(table(1, kXAxisVelocity, '.')[1], "-11.60145\t16");
    EXPECT_EQ(table(2, kXAxisChannel, '.')[1], "1\t8");
    const auto all = table(0, kXAxisChannel, '.');
    ASSERT_EQ(all.size(), 1024u);
    EXPECT_EQ(all[1023], "1023\t" + std::to_string(counts[1023]));
    EXPECT_EQ(BuildASCIITable({}, 0, 1, kXAxisVelocity, "128.00", "0.09135", '.'), "");
}

TEST(BuildASCIITable, GoldenTables)
{
    const auto counts512 = ReadCounts("counts512.txt");
    ASSERT_EQ(counts512.size(), 512u);
    // A 512-channel spectrum ignores the mode and never reads the header texts.
    for (int mode : {0, 1, 2})
        EXPECT_EQ(BuildASCIITable(counts512, 512, mode, kXAxisChannel, "junk", "", '.'),
                  DataFile("table_channel_512.txt"))
            << "mode " << mode;
    const auto counts1024 = ReadCounts("counts1024.txt");
    ASSERT_EQ(counts1024.size(), 1024u);
    EXPECT_EQ(
        BuildASCIITable(counts1024, 1024, 0, kXAxisVelocity, " 255.37", "0.1234567890123", '.'),
        DataFile("table_velocity_1024.txt"));
}

TEST(BuildASCIITable, BadHeaderNumberStopsBeforeAnyOutput)
{
    const std::pair<const char*, const char*> cases[] = {
        {"12 .00", "0.09135"}, {"128.00", "0,09135"}, {"   .  ", "0.09135"}};
    for (const auto& [zero, calibration] : cases) {
        const std::string bad = std::string(zero) == "128.00" ? calibration : zero;
        EXPECT_EQ(faults::ErrorOf([&] {
                      BuildASCIITable(ExampleCounts(), 1024, 1, kXAxisVelocity, zero, calibration,
                                      '.');
                  }),
                  "'" + bad + "' is not a valid floating point value");
    }
}

} // namespace
} // namespace trv
