#include "platform/AppError.h"
#include "platform/FileIo.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <filesystem>
#include <fstream>
#include <functional>
#include <sys/stat.h>
#include <unistd.h>

namespace fs = std::filesystem;
using trv::AppError;

namespace {

class TempDir {
public:
    TempDir()
    {
        std::string tmpl = (fs::temp_directory_path() / "trv-fileio-XXXXXX").string();
        path_ = ::mkdtemp(tmpl.data());
    }
    ~TempDir()
    {
        std::error_code ec;
        fs::permissions(path_, fs::perms::owner_all, ec);
        fs::remove_all(path_, ec);
    }
    std::string operator/(const std::string& name) const { return (path_ / name).string(); }
    const fs::path& path() const { return path_; }

private:
    fs::path path_;
};

std::string Slurp(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

std::string MessageOf(const std::function<void()>& f)
{
    try {
        f();
    } catch (const AppError& e) {
        return e.what();
    }
    return "(no error)";
}

}  // namespace

TEST(IoErrorText, KnownCodesAndTheFallback)
{
    EXPECT_EQ(trv::IoErrorText(2), "File not found");
    EXPECT_EQ(trv::IoErrorText(3), "Invalid filename");
    EXPECT_EQ(trv::IoErrorText(4), "Too many open files");
    EXPECT_EQ(trv::IoErrorText(5), "File access denied");
    EXPECT_EQ(trv::IoErrorText(100), "Read beyond end of file");
    EXPECT_EQ(trv::IoErrorText(101), "Disk full");
    EXPECT_EQ(trv::IoErrorText(106), "Invalid numeric input");
    EXPECT_EQ(trv::IoErrorText(32), "I/O error 32");
}

TEST(IoErrorText, OperatingSystemErrorsMapToTheRuntimeCodes)
{
    EXPECT_EQ(trv::IoCodeFromErrno(ENOENT), 2);
    EXPECT_EQ(trv::IoCodeFromErrno(EACCES), 5);
    EXPECT_EQ(trv::IoCodeFromErrno(EROFS), 5);
    EXPECT_EQ(trv::IoCodeFromErrno(ENOSPC), 101);
    EXPECT_EQ(trv::IoCodeFromErrno(EMFILE), 4);
    EXPECT_EQ(trv::IoCodeFromErrno(ENAMETOOLONG), 3);
    EXPECT_EQ(std::string(trv::ErrnoError(EIO).what()), "I/O error 29");
    // An unmapped system error must not masquerade as one of the runtime's named codes.
    EXPECT_EQ(std::string(trv::ErrnoError(ENOLINK).what()), "I/O error " + std::to_string(1000 + ENOLINK));
}

TEST(IoErrorText, FormattedTexts)
{
    EXPECT_EQ(trv::NotAFloatText("1,5"), "'1,5' is not a valid floating point value");
    EXPECT_EQ(trv::SettingsSetFailedText("InitialDir"), "Failed to set data for 'InitialDir'");
    EXPECT_EQ(trv::SettingsInvalidTypeText("InitialDir"), "Invalid data type for 'InitialDir'");
}

TEST(ReadWholeFile, ReadsEveryByteAndReportsMissingFiles)
{
    TempDir dir;
    std::string bytes(70000, '\0');
    for (std::size_t i = 0; i < bytes.size(); ++i) bytes[i] = static_cast<char>(i * 7);
    std::ofstream(dir / "a.bin", std::ios::binary) << bytes;
    EXPECT_EQ(trv::ReadWholeFile(dir / "a.bin"), bytes);
    EXPECT_EQ(MessageOf([&] { trv::ReadWholeFile(dir / "missing.spm"); }), "File not found");
    EXPECT_EQ(MessageOf([&] { trv::ReadWholeFile(""); }), "File not found");
    EXPECT_EQ(MessageOf([&] { trv::ReadWholeFile(dir.path().string()); }), "File access denied");
}

TEST(ReadWholeFile, RefusesFilesLargerThanTheLimitWithoutReadingThem)
{
    TempDir dir;
    std::ofstream(dir / "big.spm", std::ios::binary) << std::string(101, 'x');
    const std::string msg = MessageOf([&] { trv::ReadWholeFile(dir / "big.spm", 100); });
    EXPECT_NE(msg.find("big.spm"), std::string::npos) << msg;
    EXPECT_NE(msg.find("101 bytes"), std::string::npos) << msg;
    EXPECT_EQ(trv::ReadWholeFile(dir / "big.spm", 101).size(), 101u);
}

TEST(WriteFileAtomic, CreatesAndReplacesLeavingNoTemporaryFiles)
{
    TempDir dir;
    trv::WriteFileAtomic(dir / "out.exp", "first\r\n");
    EXPECT_EQ(Slurp(dir / "out.exp"), "first\r\n");
    ::chmod((dir / "out.exp").c_str(), 0640);
    trv::WriteFileAtomic(dir / "out.exp", "second\r\n");
    EXPECT_EQ(Slurp(dir / "out.exp"), "second\r\n");
    struct stat st{};
    ASSERT_EQ(::stat((dir / "out.exp").c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0640u) << "a replaced file keeps its permissions";
    int entries = 0;
    for ([[maybe_unused]] const auto& e : fs::directory_iterator(dir.path())) ++entries;
    EXPECT_EQ(entries, 1);
}

TEST(WriteFileAtomic, FailuresKeepTheOldFileAndShowTheRuntimeText)
{
    TempDir dir;
    EXPECT_EQ(MessageOf([&] { trv::WriteFileAtomic(dir / "no/such/folder/x.exp", "x"); }),
              "File not found");
    fs::create_directory(dir / "sub");
    EXPECT_EQ(MessageOf([&] { trv::WriteFileAtomic(dir / "sub", "x"); }), "Invalid filename");
    EXPECT_TRUE(fs::is_directory(dir / "sub"));

    if (::geteuid() == 0) GTEST_SKIP() << "root ignores file permissions";
    trv::WriteFileAtomic(dir / "keep.exp", "old");
    ::chmod((dir / "keep.exp").c_str(), 0444);
    EXPECT_EQ(MessageOf([&] { trv::WriteFileAtomic(dir / "keep.exp", "new"); }),
              "File access denied");
    EXPECT_EQ(Slurp(dir / "keep.exp"), "old");
    ::chmod(dir.path().c_str(), 0555);
    EXPECT_EQ(MessageOf([&] { trv::WriteFileAtomic(dir / "other.exp", "new"); }),
              "File access denied");
    EXPECT_FALSE(fs::exists(dir / "other.exp"));
}

TEST(FileNames, LastComponentAndExtensionChange)
{
    EXPECT_EQ(trv::FileNameOf("/data/run1/ha1234.spm"), "ha1234.spm");
    EXPECT_EQ(trv::FileNameOf("C:\\x\\y.spm"), "y.spm");
    EXPECT_EQ(trv::FileNameOf("c:y.spm"), "y.spm");
    EXPECT_EQ(trv::FileNameOf("plain"), "plain");
    EXPECT_EQ(trv::ChangeFileExt("sample.spm", ".txt"), "sample.txt");
    EXPECT_EQ(trv::ChangeFileExt("table", ".txt"), "table.txt");
    EXPECT_EQ(trv::ChangeFileExt("/a.b/table", ".txt"), "/a.b/table.txt");
    EXPECT_EQ(trv::ChangeFileExt("a.tar.gz", ".exp"), "a.tar.exp");
    EXPECT_EQ(trv::ChangeFileExt("-", ".exp"), "-.exp");
}
