#include "platform/TextLineReader.h"

#include <gtest/gtest.h>

#include <ostream>
#include <string>
#include <vector>

namespace trv {
namespace {

struct LineCase {
    std::string name;
    std::string data;
    std::vector<std::string> lines; // what the reader yields until it reports the end
};

void PrintTo(const LineCase& c, std::ostream* os)
{
    *os << c.name;
}

class TextLineReaderCases : public ::testing::TestWithParam<LineCase> {};

TEST_P(TextLineReaderCases, YieldsLinesThenEmptyPastTheEnd)
{
    const LineCase& c = GetParam();
    TextLineReader reader(c.data);
    std::vector<std::string> got;
    while (!reader.AtEof() && got.size() < 100)
        got.push_back(reader.ReadLine());
    EXPECT_EQ(got, c.lines);
    EXPECT_TRUE(reader.AtEof());
    EXPECT_EQ(reader.ReadLine(), "");
    EXPECT_EQ(reader.ReadLine(), "");
}

INSTANTIATE_TEST_SUITE_P(
    LineEnds, TextLineReaderCases,
    ::testing::Values(LineCase{"Empty", "", {}}, LineCase{"CrLf", "a\r\nb\r\n", {"a", "b"}},
                      LineCase{"CrLfCountsOnce", "a\r\n\nb", {"a", "\nb"}},
                      LineCase{"CrAlone", "a\rb\r", {"a", "b"}},
                      LineCase{"NoFinalLineEnd", "a\r\nlast", {"a", "last"}},
                      LineCase{"LfAloneStaysInLine", "a\nb\nc\r\nd", {"a\nb\nc", "d"}},
                      LineCase{"LfOnlyFileIsOneLine", "1\n2\n3\n", {"1\n2\n3\n"}},
                      LineCase{"LfBeforeCr", "a\n\rb", {"a\n", "b"}},
                      LineCase{"EmptyLines", "\r\n\r\n\rx", {"", "", "", "x"}},
                      LineCase{"CrCrLf", "a\r\r\nb", {"a", "", "b"}},
                      LineCase{"EofByteInLine",
                               "ab\x1A"
                               "cd\r\nef",
                               {"ab"}},
                      LineCase{"EofByteAfterLineEnd", "a\r\n\x1A\r\nb", {"a"}},
                      LineCase{"EofByteFirst",
                               "\x1A"
                               "abc",
                               {}},
                      LineCase{"OtherBytesKept",
                               std::string("a\0\xff\t b \r\n", 9),
                               {std::string("a\0\xff\t b ", 7)}}),
    [](const ::testing::TestParamInfo<LineCase>& info) { return info.param.name; });

TEST(TextLineReader, LineEndAtVeryEndLeavesNoExtraLine)
{
    TextLineReader reader("only\r\n");
    EXPECT_FALSE(reader.AtEof());
    EXPECT_EQ(reader.ReadLine(), "only");
    EXPECT_TRUE(reader.AtEof());
}

} // namespace
} // namespace trv
