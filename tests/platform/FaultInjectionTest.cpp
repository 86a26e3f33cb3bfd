// Writes that fail on purpose: read-only folder, full file system, failing rename.
#include "SaveFaults.h"

#include "platform/FileIo.h"

#include <gtest/gtest.h>

#include <string>

namespace trv::faults {
namespace {

// The plain atomic write, the last step of every save in the program.
INSTANTIATE_TEST_SUITE_P(
    AtomicWrite, SaveFaults,
    ::testing::Values(
        Saver{"SmallText", [](const std::string& path) { WriteFileAtomic(path, "new\r\n"); }},
        // Larger than the full file system's last page, so a partial write cannot fit either.
        Saver{"MegabyteOfBytes",
              [](const std::string& path) { WriteFileAtomic(path, std::string(1 << 20, 'x')); }}),
    SaverName);

TEST(FailingRename, RestoresTheRealRenameWhenItEnds)
{
    FaultyFolder folder(Fault::None);
    {
        FailingRename failing(EIO);
        EXPECT_EQ(ErrorOf([&] { WriteFileAtomic(folder.File("a"), "1"); }), "I/O error 29");
    }
    WriteFileAtomic(folder.File("a"), "2");
    EXPECT_EQ(ReadAll(folder.File("a")), "2");
}

} // namespace
} // namespace trv::faults
