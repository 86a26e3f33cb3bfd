#include "support/FaultFolders.h"

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <sys/stat.h>
#include <unistd.h>

namespace trv {
namespace {

using faults::ErrorOf;
using faults::FaultyFolder;
using faults::ReadAll;
using faults::WriteAll;
namespace fs = std::filesystem;

TEST(IoErrorText, RuntimeCodesAndOperatingSystemErrors)
{
    // clang-format off
    const std::pair<int, const char*> codes[] = {
        {2, "File not found"}, {3, "Invalid filename"}, {4, "Too many open files"},
        {5, "File access denied"}, {100, "Read beyond end of file"}, {101, "Disk full"},
        {106, "Invalid numeric input"}, {32, "I/O error 32"}};
    const std::pair<int, const char*> errnos[] = {
        {ENOENT, "File not found"}, {ENAMETOOLONG, "Invalid filename"}, {EMFILE, "Too many open files"},
        {EROFS, "File access denied"}, {ENOSPC, "Disk full"}, {EIO, "I/O error 29"},
        // An unmapped error must not masquerade as one of the runtime's named codes.
        {ENOLINK, nullptr}};
    // clang-format on
    for (const auto& [code, text] : codes)
        EXPECT_EQ(IoErrorText(code), text);
    for (const auto& [err, text] : errnos)
        EXPECT_EQ(ErrnoError(err).what(),
                  text ? std::string(text) : "I/O error " + std::to_string(1000 + err));
    // A field's text may hold any byte; a NUL must not end the message there.
    EXPECT_EQ(NotAFloatText(std::string_view("1\0\n\x7F\xE9", 5)),
              "'1\\x00\\x0A\\x7F\xE9' is not a valid floating point value");
}

TEST(ReadWholeFile, ReadsEveryByteUpToTheLimitAndReportsFailures)
{
    FaultyFolder dir;
    std::string bytes(70000, '\0');
    for (std::size_t i = 0; i < bytes.size(); ++i)
        bytes[i] = static_cast<char>(i * 7);
    WriteAll(dir.File("a.bin"), bytes);
    EXPECT_EQ(ReadWholeFile(dir.File("a.bin")), bytes);
    EXPECT_EQ(ReadWholeFile(dir.File("a.bin"), 70000).size(), 70000u);
    EXPECT_EQ(
        ErrorOf([&] { ReadWholeFile(dir.File("a.bin"), 69999); }),
        "Cannot open a.bin: the file is 70000 bytes long; files over 69999 bytes are not read");

    const std::string big = dir.File("big.spm");
    const std::string loop = dir.File("loop.spm"), fifo = dir.File("pipe.spm");
    WriteAll(big, "");
    fs::resize_file(big, kMaxSpmFileSize + 1); // sparse, never committed
    fs::create_symlink(loop, loop);
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    const std::pair<std::string, std::string> cases[] = {
        {dir.File("missing.spm"), "File not found"},
        {dir.Path().string(), "File access denied"},
        {loop, "Invalid filename"},
        {fifo, "Cannot open pipe.spm: it is a named pipe (FIFO), not a regular file"},
        {big, "Cannot open big.spm: the file is 67108865 bytes long; files over 67108864 bytes "
              "are not read"},
    };
    for (const auto& [path, text] : cases)
        EXPECT_EQ(ErrorOf([&] { ReadWholeFile(path); }), text) << path;
    // Exactly at the limit the file is read.
    fs::resize_file(big, kMaxSpmFileSize);
    EXPECT_EQ(ReadWholeFile(big).size(), kMaxSpmFileSize);
    if (::geteuid() != 0) { // root reads any file
        ::chmod(big.c_str(), 0);
        EXPECT_EQ(ErrorOf([&] { ReadWholeFile(big); }), "File access denied");
    }

    // Kernel files say they are empty; they are read until the end all the same.
    std::ifstream maps("/proc/self/mountinfo", std::ios::binary);
    const std::string expected{std::istreambuf_iterator<char>(maps), {}};
    ASSERT_GT(expected.size(), 100u);
    EXPECT_EQ(ReadWholeFile("/proc/self/mountinfo"), expected);
}

TEST(WriteFileAtomic, ReplacesKeepingPermissionsAndReportsBadTargets)
{
    FaultyFolder dir;
    const std::string out = dir.File("out.exp");
    WriteFileAtomic(out, "first\r\n");
    ::chmod(out.c_str(), 0640);
    WriteFileAtomic(out, "second\r\n");
    EXPECT_EQ(ReadAll(out), "second\r\n");
    struct stat st {};
    ASSERT_EQ(::stat(out.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0640u) << "a replaced file keeps its permissions";

    fs::create_directory(dir.File("sub"));
    EXPECT_EQ(ErrorOf([&] { WriteFileAtomic(dir.File("no/such/x.exp"), "x"); }), "File not found");
    EXPECT_EQ(ErrorOf([&] { WriteFileAtomic(dir.File("sub"), "x"); }), "Invalid filename");
    EXPECT_TRUE(fs::is_directory(dir.File("sub")));
    EXPECT_EQ(faults::Snapshot(dir.Path()).size(), 2u) << "no temporary file is left behind";
}

TEST(FileNames, LastComponentAndExtensionChange)
{
    // clang-format off
    const std::pair<const char*, const char*> names[] = {
        {"/data/run1/ha1234.spm", "ha1234.spm"}, {"C:\\x\\y.spm", "y.spm"}, {"c:y.spm", "y.spm"},
        {"plain", "plain"}, {"/data/", ""}, {"", ""}, {"/runs/12:30.spm", "12:30.spm"}};
    const std::pair<const char*, const char*> exts[] = {
        {"sample.spm", "sample.txt"}, {"table", "table.txt"}, {"/a.b/table", "/a.b/table.txt"},
        {"a.tar.gz", "a.tar.txt"}, {"-", "-.txt"}};
    // clang-format on
    for (const auto& [path, name] : names)
        EXPECT_EQ(LastPathComponent(path), name) << path;
    for (const auto& [path, changed] : exts)
        EXPECT_EQ(ChangeFileExt(path, ".txt"), changed);
}

} // namespace
} // namespace trv
