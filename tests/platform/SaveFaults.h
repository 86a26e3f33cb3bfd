#pragma once

// Folders that make writes fail on purpose, and the save cases that every writer of the
// program (EXP file, ASCII table, bitmap) must pass: the runtime's error text is reported, a
// file that was there before is left byte for byte, and no temporary file is left behind.
//
// A test program includes this header from exactly one source file and instantiates the
// suite with its writers:
//
//     INSTANTIATE_TEST_SUITE_P(Exp, SaveFaults, ::testing::Values(trv::faults::Saver{...}));

#include "FaultFolders.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <cstring>
#include <string>
#include <utility>

namespace trv::faults {

// One writer of the program: writes its file to the given path as the program does.
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
    // The saved bytes in a folder where nothing fails; they must differ from the old file.
    static constexpr const char* kOldBytes = "old file, must survive\r\n\x1A\xFF";
};

TEST_P(SaveFaults, WritesTheFileWhenNothingFails)
{
    FaultyFolder folder(Fault::None);
    folder.Seed("target.out", kOldBytes);
    GetParam().save(folder.File("target.out"));
    GetParam().save(folder.File("fresh.out"));
    const auto files = Snapshot(folder.Path());
    ASSERT_EQ(files.size(), 2u) << "a temporary file was left behind";
    EXPECT_NE(files.at("target.out"), kOldBytes);
    EXPECT_FALSE(files.at("fresh.out").empty());
    EXPECT_EQ(files.at("target.out"), files.at("fresh.out"));
}

TEST_P(SaveFaults, ReadOnlyFolderReportsAccessDeniedAndKeepsTheOldFile)
{
    FaultyFolder folder(Fault::ReadOnly);
    if (!folder.Unavailable().empty()) GTEST_SKIP() << folder.Unavailable();
    folder.Seed("target.out", kOldBytes);
    folder.Arm();
    const auto before = Snapshot(folder.Path());

    EXPECT_EQ(ErrorOf([&] { GetParam().save(folder.File("target.out")); }), "File access denied");
    EXPECT_EQ(ErrorOf([&] { GetParam().save(folder.File("fresh.out")); }), "File access denied");
    EXPECT_EQ(Snapshot(folder.Path()), before);
}

TEST_P(SaveFaults, FullFileSystemReportsDiskFullAndKeepsTheOldFile)
{
    FaultyFolder folder(Fault::DiskFull);
    if (!folder.Unavailable().empty()) GTEST_SKIP() << folder.Unavailable();
    folder.Seed("target.out", kOldBytes);
    folder.Arm();
    const auto before = Snapshot(folder.Path());

    EXPECT_EQ(ErrorOf([&] { GetParam().save(folder.File("target.out")); }), "Disk full");
    EXPECT_EQ(ErrorOf([&] { GetParam().save(folder.File("fresh.out")); }), "Disk full");
    EXPECT_EQ(Snapshot(folder.Path()), before);
}

TEST_P(SaveFaults, FailedRenameReportsTheRuntimeTextAndKeepsTheOldFile)
{
    const std::pair<int, const char*> cases[] = {
        {EACCES, "File access denied"}, {EROFS, "File access denied"}, {ENOSPC, "Disk full"},
        {EDQUOT, "Disk full"},          {EIO, "I/O error 29"},         {EXDEV, "I/O error 17"},
        {ENOENT, "File not found"},     {EISDIR, "Invalid filename"},
    };
    for (const auto& [err, text] : cases) {
        SCOPED_TRACE(std::strerror(err));
        FaultyFolder folder(Fault::None); // only the rename fails
        folder.Seed("target.out", kOldBytes);
        const auto before = Snapshot(folder.Path());
        {
            FailingRename failing(err);
            EXPECT_EQ(ErrorOf([&] { GetParam().save(folder.File("target.out")); }), text);
            EXPECT_EQ(ErrorOf([&] { GetParam().save(folder.File("fresh.out")); }), text);
        }
        EXPECT_EQ(Snapshot(folder.Path()), before);
    }
}

} // namespace trv::faults
