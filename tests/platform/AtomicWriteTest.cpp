// WriteFileAtomic both ways it can write: through an unnamed temporary file, and through a
// named one where the file system has no unnamed ones.
#include "support/SaveFaults.h"

#include <gtest/gtest.h>

namespace trv::faults {
namespace {

// Makes WriteFileAtomic use named temporary files while the object lives.
class NamedTemporaries {
  public:
    NamedTemporaries() : previous_(SetUnnamedTemporaryFilesForTesting(false)) {}
    ~NamedTemporaries() { SetUnnamedTemporaryFilesForTesting(previous_); }

  private:
    bool previous_;
};

void WriteThroughNamedTemporary(const std::string& path)
{
    NamedTemporaries named;
    WriteFileAtomic(path, "written\r\n");
}

void WriteThroughUnnamedTemporary(const std::string& path)
{
    WriteFileAtomic(path, "written\r\n");
}

INSTANTIATE_TEST_SUITE_P(AtomicWrite, SaveFaults,
                         ::testing::Values(Saver{"Unnamed", WriteThroughUnnamedTemporary},
                                           Saver{"Named", WriteThroughNamedTemporary}),
                         SaverName);

// A name of 255 bytes is the longest the file system takes: the temporary name must not grow
// with it. One byte more is refused and leaves nothing behind.
TEST(WriteFileAtomic, LongestLegalNameIsWrittenAndReplaced)
{
    for (const bool unnamed : {true, false}) {
        SCOPED_TRACE(unnamed ? "unnamed temporary" : "named temporary");
        const bool previous = SetUnnamedTemporaryFilesForTesting(unnamed);
        FaultyFolder dir;
        const std::string longest = dir.File(std::string(251, 'n') + ".exp");
        EXPECT_EQ(ErrorOf([&] { WriteFileAtomic(longest, "first"); }), "(no error)");
        EXPECT_EQ(ErrorOf([&] { WriteFileAtomic(longest, "second", false); }), "(no error)");
        EXPECT_EQ(ReadAll(longest), "second");
        EXPECT_EQ(ErrorOf([&] { WriteFileAtomic(dir.File(std::string(256, 'n')), "x"); }),
                  "Invalid filename");
        EXPECT_EQ(Snapshot(dir.Path()).size(), 1u);
        SetUnnamedTemporaryFilesForTesting(previous);
    }
}

} // namespace
} // namespace trv::faults
