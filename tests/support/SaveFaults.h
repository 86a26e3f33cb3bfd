#pragma once

// The save cases every writer of the program must pass: the runtime's error text is reported,
// a file that was there before is left byte for byte, and no temporary file is left behind.
// Include from exactly one source file of a test program and instantiate with its writer:
//     INSTANTIATE_TEST_SUITE_P(Exp, SaveFaults, ::testing::Values(trv::faults::Saver{...}));

#include "FaultFolders.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <cstring>
#include <string>

namespace trv::faults {

struct Saver {
    std::string name;
    std::function<void(const std::string& path)> save;
};

inline std::string SaverName(const ::testing::TestParamInfo<Saver>& info)
{
    return info.param.name;
}

class SaveFaults : public ::testing::TestWithParam<Saver> {
  protected:
    static constexpr const char* kOld = "old file, must survive\r\n\x1A\xFF";

    // Both saves fail with `text` and the folder is left as it was.
    void ExpectRefused(FaultyFolder& folder, const std::string& text)
    {
        WriteAll(folder.File("target.out"), kOld);
        folder.Arm();
        const auto before = Snapshot(folder.Path());
        EXPECT_EQ(ErrorOf([&] { GetParam().save(folder.File("target.out")); }), text);
        EXPECT_EQ(ErrorOf([&] { GetParam().save(folder.File("fresh.out")); }), text);
        EXPECT_EQ(Snapshot(folder.Path()), before);
    }
};

TEST_P(SaveFaults, WritesTheFileWhenNothingFails)
{
    FaultyFolder folder;
    WriteAll(folder.File("target.out"), kOld);
    GetParam().save(folder.File("target.out"));
    GetParam().save(folder.File("fresh.out"));
    const auto files = Snapshot(folder.Path());
    ASSERT_EQ(files.size(), 2u) << "a temporary file was left behind";
    EXPECT_FALSE(files.at("fresh.out").empty());
    EXPECT_EQ(files.at("target.out"), files.at("fresh.out"));
}

TEST_P(SaveFaults, ReadOnlyFolderAndFullFileSystemReportTheRuntimeText)
{
    const std::pair<Fault, const char*> cases[] = {{Fault::ReadOnly, "File access denied"},
                                                   {Fault::DiskFull, "Disk full"}};
    for (const auto& [fault, text] : cases) {
        FaultyFolder folder(fault);
        if (!folder.Unavailable().empty()) GTEST_SKIP() << folder.Unavailable();
        ExpectRefused(folder, text);
    }
}

TEST_P(SaveFaults, FailedRenameReportsTheRuntimeTextAndTheRealRenameReturns)
{
    const std::pair<int, const char*> cases[] = {
        {EACCES, "File access denied"}, {EDQUOT, "Disk full"}, {EXDEV, "I/O error 17"}};
    for (const auto& [err, text] : cases) {
        SCOPED_TRACE(std::strerror(err));
        FaultyFolder folder;
        {
            FailingRename failing(err);
            ExpectRefused(folder, text);
        }
        GetParam().save(folder.File("fresh.out"));
        EXPECT_EQ(Snapshot(folder.Path()).size(), 2u);
    }
}

} // namespace trv::faults
