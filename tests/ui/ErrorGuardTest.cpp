#include "ScriptedPlatform.h"

#include "platform/AppError.h"
#include "ui/ErrorGuard.h"

#include <gtest/gtest.h>

#include <new>
#include <stdexcept>

namespace trv::test {
namespace {

// Every window's reactions run through this guard: what escapes is shown, never thrown on.
TEST(ErrorGuard, ShowsWhatEscapesAReactionAndSaysWhetherItRanThrough)
{
    const struct {
        std::function<void()> body;
        QString shown; // empty: nothing shown, the reaction ran through
    } cases[] = {
        {[] {}, ""},
        {[] { throw AppError("File not found"); }, "File not found"},
        // Control bytes of a file name are escaped; a name that is not UTF-8 shows as 8-bit.
        {[] { throw AppError("Cannot create file /tmp/a\nb\x1b[2J\tc\xE9.bmp"); },
         QString::fromUtf8("Cannot create file /tmp/a\\x0Ab\\x1B[2J\\x09c\u00E9.bmp")},
        {[] { throw std::bad_alloc(); }, "Out of memory"},
        {[] { throw std::runtime_error("vector::reserve"); }, "vector::reserve"},
    };
    for (const auto& c : cases) {
        ScriptedPlatform platform;
        EXPECT_EQ(RunGuarded(platform, c.body), c.shown.isEmpty()) << c.shown.toStdString();
        EXPECT_EQ(platform.errors, c.shown.isEmpty() ? QStringList() : QStringList{c.shown});
    }
}

} // namespace
} // namespace trv::test
