#include "platform/TextLineReader.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace trv {
namespace {

TEST(TextLineReader, LineEndsAndTheEndOfFileByte)
{
    // clang-format off
    const struct {
        std::string data;
        std::vector<std::string> lines; // what the reader yields until it reports the end
    } cases[] = {
        {"", {}}, {"a\r\nb\r\n", {"a", "b"}}, {"a\r\n\nb", {"a", "\nb"}}, {"a\rb\r", {"a", "b"}},
        {"a\nb\nc\r\nd", {"a\nb\nc", "d"}}, // LF alone stays in the line
        {"a\n\rb", {"a\n", "b"}}, {"\r\n\r\n\rx", {"", "", "", "x"}}, {"a\r\r\nb", {"a", "", "b"}},
        {"ab\x1A"          "cd\r\nef",          {"ab"}}, {"a\r\n\x1A\r\nb", {"a"}},
        {std::string("a\0\xff\t b \r\n", 9), {std::string("a\0\xff\t b ", 7)}},
    };
    // clang-format on
    for (const auto& c : cases) {
        TextLineReader reader(c.data);
        std::vector<std::string> got;
        while (!reader.AtEof() && got.size() < 100)
            got.push_back(reader.ReadLine());
        EXPECT_EQ(got, c.lines) << testing::PrintToString(c.data);
        EXPECT_EQ(reader.ReadLine(), "") << "past the end";
    }
}

} // namespace
} // namespace trv
